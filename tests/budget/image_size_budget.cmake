# SPDX-License-Identifier: BSD-2-Clause-Patent
# Fails when a driver image is larger than its budget in bytes.
# Usage: cmake -DIMAGE=<path> -DBUDGET=<bytes> -P image_size_budget.cmake
file(SIZE "${IMAGE}" size)
if(size GREATER BUDGET)
  math(EXPR over "${size} - ${BUDGET}")
  message(FATAL_ERROR "${IMAGE}: ${size} bytes, ${over} over the budget of ${BUDGET}")
endif()
message(STATUS "${IMAGE}: ${size} bytes, budget ${BUDGET}")
