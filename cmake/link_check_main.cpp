// SPDX-License-Identifier: BSD-2-Clause-Patent
// The entry of a layer's link check (cmake/layers.cmake): the program is
// never run; linking it proves the layer's code needs nothing from above.
int main() { return 0; }
