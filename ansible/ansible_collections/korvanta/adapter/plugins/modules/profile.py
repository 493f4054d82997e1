#!/usr/bin/python
# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: profile
short_description: Make a KORVAN-TA adapter hold a settings profile
description:
  - Brings the KORVAN-TA ISDN terminal adapter on a serial port of the host to
    a settings profile, as C(korvanta-cli restore) does. The profile is the
    file C(korvanta-cli backup) writes, in the sections and keys of
    C(man 5 korvanta-profile).
  - The adapter's settings are read first and only those that differ from the
    profile are sent, then everything is read back. Before the first setting
    is sent, the adapter's settings as read are kept in the port's history
    on the host (see I(backup)); M(korvanta.adapter.rollback) brings them
    back.
  - The adapter stores its settings after a run that sent one (see
    I(save_when)); a run with nothing to send reports C(ok).
  - Settings the adapter's firmware lacks are not sent; they are returned in
    C(lacking) and shown as warnings, in check mode too.
  - A profile that korvanta-cli refuses (a value out of range, an unknown key,
    a rule across settings broken, another model), a port that does not open
    or an adapter that fails make the task fail with korvanta-cli's message in
    C(msg) and its exit status in C(rc).
  - A restore that failed on the line says in C(msg) how far it got, how many
    changes the adapter acknowledged, how many were sent without an answer and
    how many not sent, and what became of the store; the settings of each are
    returned in C(acknowledged), C(unanswered) and C(unsent). Running the task
    again completes it.
version_added: 1.0.0
author:
  - The KORVAN-TA settings utility developers (!UNKNOWN)
extends_documentation_fragment:
  - korvanta.adapter.cli
  - korvanta.adapter.change
options:
  src:
    description:
      - A profile file on the host where the module runs.
      - Exactly one of I(src) and I(content) is required.
    type: path
  content:
    description:
      - The profile's text. With the C(file) or C(template) lookup, a
        profile kept on the controller.
      - A line end is added to the last line where it has none, since the
        C(file) lookup strips it.
      - Exactly one of I(src) and I(content) is required.
    type: str
attributes:
  check_mode:
    support: full
    description: A dry run (C(restore --dry-run)); only queries reach the adapter.
  diff_mode:
    support: full
    description: Each change as C([SECTION] KEY=value) and the value's meaning, the adapter's value before and the profile's after.
seealso:
  - module: korvanta.adapter.settings
  - module: korvanta.adapter.rollback
  - module: korvanta.adapter.backup
'''

EXAMPLES = r'''
- name: The adapter holds the office profile kept beside the playbook
  korvanta.adapter.profile:
    port: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0
    content: "{{ lookup('file', 'profiles/office.ini') }}"

- name: A profile file already on the host, the settings before kept in /var/backups/korvanta
  korvanta.adapter.profile:
    port: /dev/ttyUSB0
    src: /etc/korvanta/office.ini
    backup_options:
      dir_path: /var/backups/korvanta
      filename: "{{ inventory_hostname }}.before.ini"
  register: restored

- name: What changed
  ansible.builtin.debug:
    msg: "{{ restored.changes | map(attribute='key') | list }}"
'''

RETURN = r'''
changes:
  description:
    - The settings that differed, each sent (in check mode, each that would
      be sent). C(from) is the adapter's value, C(to) the profile's; either is
      null where that side lacks the setting.
    - Other keys korvanta-cli adds to a change are returned as they are.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
  contains:
    caption:
      description: Where the setting is in the window program, in its own words.
      type: str
      sample: Analog Port Settings / TEL1 Port / Internal Ring Pattern
    section:
      description: The profile's section.
      type: str
      sample: TEL1
    key:
      description: The profile's key.
      type: str
      sample: RING
    from:
      description: The adapter's value.
      type: str
      sample: "1"
    to:
      description: The profile's value.
      type: str
      sample: "2"
    from_text:
      description: What the adapter's value means, in the module's I(language); null where it has no meaning of its own.
      type: str
      sample: Long ring
    to_text:
      description: What the profile's value means.
      type: str
      sample: Double ring
lacking:
  description:
    - The settings of the profile that the adapter's firmware lacks (the
      setting, or only the profile's value of it), not sent, each with the
      reason. Each is also a warning.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
  contains:
    caption:
      description: Where the setting is in the window program.
      type: str
      sample: Analog Port Settings / TEL1 Port / Internal Ring Pattern
    section:
      description: The profile's section.
      type: str
      sample: TEL1
    key:
      description: The profile's key.
      type: str
      sample: RING
    reason:
      description: Why it was not sent.
      type: str
      sample: the adapter's firmware lacks the setting
unmanaged:
  description:
    - The adapter's settings that the profile does not hold, as its own
      firmware had none; left as they are, and no difference.
    - Each with C(caption), C(section) and C(key), as in C(lacking).
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
backup:
  description: The history entry of the adapter's settings kept before the first setting was sent; null when none was kept.
  returned: when korvanta-cli read the adapter
  type: str
  sample: /root/.local/share/korvanta/history/ttyUSB0/20261208T091502.123Z.ini
backup_path:
  description: The copy of the history entry that I(backup_options) asked for.
  returned: when a history entry was kept and I(backup_options) given
  type: str
  sample: /var/backups/korvanta/ta1.before.ini
stored:
  description:
    - Whether the adapter stored its settings at the end (see I(save_when)).
    - After a failure, null when the store was sent and not acknowledged, so
      that the adapter may or may not keep the changes.
  returned: when korvanta-cli read the adapter
  type: bool
  sample: true
acknowledged:
  description: The changes the adapter acknowledged, as C(SECTION.KEY).
  returned: when the restore failed and korvanta-cli reported it
  type: list
  elements: str
  sample: [TEL1.HASHIN]
unanswered:
  description: The changes sent without an answer; the adapter may or may not hold them.
  returned: when the restore failed and korvanta-cli reported it
  type: list
  elements: str
  sample: [TEL1.RING]
unsent:
  description: The changes never sent.
  returned: when the restore failed and korvanta-cli reported it
  type: list
  elements: str
  sample: [DATA.SPEED]
step:
  description: Where the restore stopped, as korvanta-cli names it (C(reading), C(writing), C(reading back), C(storing)).
  returned: when the restore failed and korvanta-cli reported it
  type: str
  sample: writing
port:
  description: The adapter's port, by its /dev/serial/by-id/ name where it has one.
  returned: when korvanta-cli reports it
  type: str
  sample: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0
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

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_change


def whole_text(content):
    """The text with its last line ended: lookup('file') strips the line end
    that korvanta-cli takes a profile's last line to need (without it, the
    file was cut short)."""
    return content if content.endswith(u'\n') else content + u'\n'


def main():
    argument_spec = dict(
        src=dict(type='path'),
        content=dict(type='str'),
    )
    argument_spec.update(korvanta_change.ARGUMENT_SPEC)
    module = AnsibleModule(argument_spec=argument_spec,
                           mutually_exclusive=[('src', 'content')],
                           required_one_of=[('src', 'content')],
                           supports_check_mode=True)
    content = module.params['content']
    data = None if content is None else whole_text(content).encode('utf-8')
    korvanta_change.apply(module, ['restore', module.params['src'] or '-'], data=data,
                          target=module.params['src'] or 'profile')


if __name__ == '__main__':
    main()
