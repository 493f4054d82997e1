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
      - The adapter's port, as seen from the host where the module runs, in
        any form C(korvanta-cli --port) takes.
      - A device on the host, best by its name under C(/dev/serial/by-id/),
        which stays the same across reboots and cabling (C(/dev/ttyUSB0)
        may not); C(COMn) is C(/dev/ttyS(n-1)), and C(COMn=ADDRESS) makes
        C(COMn) lead to any other form.
      - A console server's port on the network. C(rfc2217://HOST:PORT),
        telnet with the COM port control of RFC 2217 (korvanta-cli sets the
        line to 19200 bit/s 8N1); C(tcp://HOST:PORT), raw TCP, the server
        already at 19200 bit/s 8N1; C(rfc2217+tls://HOST:PORT) and
        C(tcp+tls://HOST:PORT), the same within TLS, the server's
        certificate checked against the host's CAs;
        C(ssh://[USER@]HOST[:PORT]), raw behind a secure shell login, the
        server's key in C(~/.ssh/known_hosts) and the login by ssh-agent or
        a key (nothing is ever prompted). An IPv6 address goes in brackets,
        C(tcp://[2001:db8::7]:4001).
      - A name from the host's C(ports.conf) (C(man 5 ports.conf)), which
        also holds a network port's CA, pinned certificate, client
        certificate or SSH key.
      - Required, so that no task talks to C(COM1) for want of a port. In an
        inventory where each adapter is a host, the host variable
        C(korvanta_port), given to every module at once with
        C(module_defaults) and the group C(group/korvanta.adapter.adapter).
    type: str
    required: true
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
  language:
    description:
      - The language of C(msg), the captions and the values' meanings
        (C(caption), C(text), C(from_text), C(to_text)), whatever the host's
        locale. C(en) English, C(ja) Japanese, C(c) the command line's own
        messages in English and those of the adapter, the line and the
        settings in Japanese, as scripts have always matched them.
      - What the adapter holds (values, model, firmware) is never
        translated.
    type: str
    choices: [en, ja, c]
    default: en
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
  - A failure of the module itself returns C(rc) as korvanta-cli would, C(2)
    for a file or folder it cannot use (nothing sent), C(127) when
    korvanta-cli is not on the host.
'''
