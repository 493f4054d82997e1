#!/usr/bin/python
# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: rollback
short_description: Bring a KORVAN-TA adapter back to its settings before a change
description:
  - Brings the KORVAN-TA ISDN terminal adapter back to its settings as they
    were before the latest change, or before the change of the history entry
    I(entry), as C(korvanta-cli rollback) does. Every change by
    M(korvanta.adapter.settings), M(korvanta.adapter.profile), korvanta-cli
    or the window program keeps such an entry on the host (unless run with
    I(backup=false)).
  - Only the settings that differ from the entry are sent, then read back;
    C(changed) only when one was sent. A rollback keeps an entry of its own,
    so a second rollback undoes the first.
  - In a play, give I(entry) the C(backup) that the change returned, so that
    exactly that change is undone, whatever came after.
version_added: 2.0.0
author:
  - The KORVAN-TA settings utility developers (!UNKNOWN)
extends_documentation_fragment:
  - korvanta.adapter.cli
  - korvanta.adapter.change
options:
  entry:
    description:
      - The history entry to go back to, as C(korvanta-cli history) lists
        the port's entries - its number (C(1) the newest), its name or the
        start of one (C(20261208T0915)), or its path.
      - The newest entry when not given, which undoes the latest change.
    type: str
attributes:
  check_mode:
    support: full
    description: A dry run; only queries reach the adapter.
  diff_mode:
    support: full
    description: Each change as C([SECTION] KEY=value) and its meaning, before and after.
seealso:
  - module: korvanta.adapter.settings
  - module: korvanta.adapter.profile
'''

EXAMPLES = r'''
- name: A change, undone when it fails part way
  block:
    - name: The new ring
      korvanta.adapter.settings:
        port: "{{ korvanta_port }}"
        settings:
          TEL1.RING: 2
      register: change
  rescue:
    - name: Back as it was
      korvanta.adapter.rollback:
        port: "{{ korvanta_port }}"
        entry: "{{ change.backup }}"
      when: change is changed

- name: Undo the latest change, whoever made it
  korvanta.adapter.rollback:
    port: /dev/ttyUSB0
'''

RETURN = r'''
changes:
  description: The settings sent to go back (in check mode, that would be sent), as M(korvanta.adapter.settings) returns them.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
lacking:
  description: The entry's settings the adapter's firmware lacks, not sent; each also a warning.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
unmanaged:
  description: The adapter's settings the entry does not hold; left as they are.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
backup:
  description: The history entry the rollback kept of its own; null when nothing was sent.
  returned: when korvanta-cli read the adapter
  type: str
  sample: /root/.local/share/korvanta/history/ttyUSB0/20261208T093011.456Z.ini
backup_path:
  description: Its copy, as I(backup_options) asked.
  returned: when a history entry was kept and I(backup_options) given
  type: str
stored:
  description: Whether the adapter stored its settings; null when the store was sent and not acknowledged.
  returned: when korvanta-cli read the adapter
  type: bool
acknowledged:
  description: After a failure, the changes the adapter acknowledged (C(SECTION.KEY)).
  returned: when the rollback failed and korvanta-cli reported it
  type: list
  elements: str
unanswered:
  description: After a failure, the changes sent without an answer.
  returned: when the rollback failed and korvanta-cli reported it
  type: list
  elements: str
unsent:
  description: After a failure, the changes never sent.
  returned: when the rollback failed and korvanta-cli reported it
  type: list
  elements: str
step:
  description: Where the rollback stopped (C(reading), C(writing), C(reading back), C(storing)).
  returned: when the rollback failed and korvanta-cli reported it
  type: str
port:
  description: The adapter's port, by its /dev/serial/by-id/ name where it has one.
  returned: when korvanta-cli reports it
  type: str
model:
  description: The adapter's model.
  returned: when korvanta-cli reports it
  type: str
firmware:
  description: The adapter's firmware.
  returned: when korvanta-cli reports it
  type: str
rc:
  description: korvanta-cli's exit status.
  returned: always
  type: int
  sample: 0
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_change


def main():
    argument_spec = dict(entry=dict(type='str'))
    argument_spec.update(korvanta_change.ARGUMENT_SPEC)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    entry = module.params['entry']
    korvanta_change.apply(module, ['rollback'] + ([entry] if entry else []), what='rollback',
                          target=entry or 'the newest entry')


if __name__ == '__main__':
    main()
