# SPDX-License-Identifier: BSD-2-Clause-Patent
# Debian packages the build and the tests need (sourced by the scripts).
# shellcheck disable=SC2034
BUILD_PACKAGES="cmake ninja-build g++ clang clang-format clang-tidy lld llvm libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev"
E2E_PACKAGES="qemu-system-arm qemu-efi-aarch64 mtools python3 python3-pyte sbsigntool openssl"
# The image tool's tests: every firmware image Debian ships for QEMU (AAVMF
# and QEMU_EFI come with E2E_PACKAGES), and an independent parser to read
# the tool's results.
IMAGE_PACKAGES="qemu-efi-aarch64 qemu-efi-arm ovmf uefitool-cli"
