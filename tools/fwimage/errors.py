# SPDX-License-Identifier: BSD-2-Clause-Patent
"""The one error the tool reports: bad input, said in one line."""


class FwError(Exception):
    """Input the tool refuses; the message is the whole report."""


def need(condition, message):
    if not condition:
        raise FwError(message)
