# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # The options every module of the collection passes to korvanta-cli
    # (plugins/module_utils/korvanta_cli.py).
    DOCUMENTATION = r'''
options:
  port:
    description:
      - The adapter's serial port on the host where the module runs, as
        C(korvanta-cli --port) takes it.
      - C(COMn), the device /dev/ttyS(n-1); a device path such as
        C(/dev/ttyUSB0) or a name under C(/dev/serial/by-id/), stable across
        reboots and the best choice for a rack; or C(COMn=PATH).
      - C(COM1) when not given.
    type: str
  workfile:
    description:
      - The settings work file korvanta-cli uses, instead of the one it keeps
        for the port.
      - Only one running program uses a work file at a time, so adapters done
        at once need one each.
    type: path
  log:
    description:
      - Append every line sent to the adapter and every reply to this file on
        the host, as C(korvanta-cli --log) does.
    type: path
  executable:
    description:
      - The path of korvanta-cli on the host.
      - Found on the C(PATH) when not given.
    type: path
requirements:
  - korvanta-cli, from the korvanta package, on the host where the module runs
    (the host the adapter is connected to).
notes:
  - The module runs C(korvanta-cli --json) and reads only its JSON result and
    its exit status. When it fails, C(msg) is korvanta-cli's own message and
    C(rc) its exit status (C(1) the adapter or the line failed, C(2) wrong
    usage or a file it cannot use, nothing sent, C(128) plus a signal's
    number).
  - The messages are in the language of the host's locale, as korvanta-cli
    chooses it.
'''
