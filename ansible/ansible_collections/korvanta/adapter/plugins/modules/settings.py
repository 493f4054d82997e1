#!/usr/bin/python
# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: settings
short_description: Set some or all settings of a KORVAN-TA adapter, as data
description:
  - Gives the KORVAN-TA ISDN terminal adapter the settings named in
    I(settings), as C(korvanta-cli set) (I(state=merged)) or
    C(korvanta-cli restore) of a whole profile (I(state=replaced)) does.
  - Only what differs is sent, then read back; the task is C(changed) only
    when a setting was sent, and the adapter stores after a change (see
    I(save_when)). The settings as they were are kept in the port's history
    first (see I(backup)), for M(korvanta.adapter.rollback).
  - A name or value korvanta-cli refuses, or a change that breaks a rule
    across settings, fails the task with nothing sent (C(rc) 2); settings the
    adapter's firmware lacks are warnings and returned in C(lacking).
version_added: 2.0.0
author:
  - The KORVAN-TA settings utility developers (!UNKNOWN)
extends_documentation_fragment:
  - korvanta.adapter.cli
  - korvanta.adapter.change
options:
  settings:
    description:
      - The settings, each named C(SECTION.KEY) as in a profile
        (C(man 5 korvanta-profile); case-blind, C(tel1.ring)), with its value.
      - With I(state=merged), the raw value (C(2)) or the value as its window
        shows it, in either language (C(Double ring), C(6 s)).
      - With I(state=replaced), every setting of a profile, the raw values
        only, and C(PROFILE.MODEL) and C(PROFILE.FIRMWARE); the C(raw) facts of
        M(korvanta.adapter.facts) are such a mapping.
      - A value of C(true) or C(false) is refused (YAML reads C(on), C(off),
        C(yes) and C(no) so); quote it.
    type: dict
    required: true
  state:
    description:
      - C(merged), only the settings named change; the others stay as they
        are, and the rules across settings are checked on the adapter's
        settings with these.
      - C(replaced), the adapter made equal to the whole profile that
        I(settings) hold.
    type: str
    choices: [merged, replaced]
    default: merged
attributes:
  check_mode:
    support: full
    description: A dry run (C(--dry-run)); only queries reach the adapter.
  diff_mode:
    support: full
    description: Each change as C([SECTION] KEY=value) and its meaning, before and after.
seealso:
  - module: korvanta.adapter.facts
  - module: korvanta.adapter.rollback
  - module: korvanta.adapter.profile
'''

EXAMPLES = r'''
- name: A double ring on TEL1, named as the window shows it
  korvanta.adapter.settings:
    port: "{{ korvanta_port }}"
    settings:
      TEL1.RING: Double ring
      TEL1.HASHIN: 6 s

- name: The adapter made equal to another's settings, gathered earlier
  korvanta.adapter.settings:
    port: "{{ korvanta_port }}"
    settings: "{{ hostvars['ta1'].ansible_facts.korvanta.raw }}"
    state: replaced
'''

RETURN = r'''
changes:
  description:
    - The settings that differed, each sent (in check mode, each that would
      be sent), as M(korvanta.adapter.profile) returns them.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
lacking:
  description: The settings the adapter's firmware lacks (or only the value given), not sent, each with its C(reason); each also a warning.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
unmanaged:
  description: With I(state=replaced), the adapter's settings the profile does not hold; left as they are.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
backup:
  description: The history entry kept before the first setting was sent; null when nothing was sent.
  returned: when korvanta-cli read the adapter
  type: str
  sample: /root/.local/share/korvanta/history/ttyUSB0/20261208T091502.123Z.ini
backup_path:
  description: Its copy, as I(backup_options) asked.
  returned: when a history entry was kept and I(backup_options) given
  type: str
  sample: /var/backups/korvanta/20261208T091502.123Z.ini
stored:
  description: Whether the adapter stored its settings; null when the store was sent and not acknowledged.
  returned: when korvanta-cli read the adapter
  type: bool
  sample: true
acknowledged:
  description: After a failure, the changes the adapter acknowledged (C(SECTION.KEY)).
  returned: when the change failed and korvanta-cli reported it
  type: list
  elements: str
  sample: [TEL1.RING]
unanswered:
  description: After a failure, the changes sent without an answer.
  returned: when the change failed and korvanta-cli reported it
  type: list
  elements: str
  sample: []
unsent:
  description: After a failure, the changes never sent.
  returned: when the change failed and korvanta-cli reported it
  type: list
  elements: str
  sample: [TEL1.HASHIN]
step:
  description: Where the change stopped (C(reading), C(writing), C(reading back), C(storing)).
  returned: when the change failed and korvanta-cli reported it
  type: str
  sample: writing
port:
  description: The adapter's port, by its /dev/serial/by-id/ name where it has one.
  returned: when korvanta-cli reports it
  type: str
  sample: /dev/ttyUSB0
model:
  description: The adapter's model.
  returned: when korvanta-cli reports it
  type: str
  sample: KORVAN-TA
firmware:
  description: The adapter's firmware.
  returned: when korvanta-cli reports it
  type: str
  sample: Ver 1.30 01/03/15
rc:
  description: korvanta-cli's exit status.
  returned: always
  type: int
  sample: 0
'''

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.common.text.converters import to_text

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_change, korvanta_cli


def profile_text(settings):
    """The settings as a profile: [SECTION] then KEY=value, sections and keys
    in the order given. None when a name is not SECTION.KEY."""
    sections = {}
    for name, value in settings:
        section, dot, key = name.partition(u'.')
        if not (dot and section and key):
            return None
        sections.setdefault(section, []).append(u'%s=%s\n' % (key, value))
    return u''.join(u'[%s]\n%s' % (section, u''.join(lines)) for section, lines in sections.items())


def main():
    argument_spec = dict(
        settings=dict(type='dict', required=True),
        state=dict(type='str', choices=['merged', 'replaced'], default='merged'),
    )
    argument_spec.update(korvanta_change.ARGUMENT_SPEC)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    given = module.params['settings']
    unquoted = sorted(name for name, value in given.items() if isinstance(value, bool) or value is None)
    if unquoted or not given:
        module.fail_json(msg=u'%s: a value is needed, as text: quote on, off, yes, no, true and false'
                         % u', '.join(unquoted) if unquoted else u'no settings given',
                         rc=korvanta_cli.TROUBLE, changed=False)
    settings = [(to_text(name), to_text(value)) for name, value in given.items()]
    if module.params['state'] == 'merged':
        korvanta_change.apply(module, ['set'] + [u'%s=%s' % setting for setting in settings], what='change')
    profile = profile_text(settings)
    if profile is None:
        module.fail_json(msg=u'a whole profile names every setting as SECTION.KEY', rc=korvanta_cli.TROUBLE,
                         changed=False)
    korvanta_change.apply(module, ['restore', '-'], data=profile.encode('utf-8'), what='change')


if __name__ == '__main__':
    main()
