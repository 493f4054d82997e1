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
    is sent, the adapter's settings as read are saved to a backup file on the
    host (see I(backup)).
  - Every real run ends with the adapter storing what it holds, whether a
    setting was sent or not, so that what an earlier run left unstored (one
    cut short, or run with I(store=false)) survives the next power cycle.
    That store changes no setting, so a run that sent none reports C(ok).
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
  backup:
    description:
      - Save the adapter's settings to a backup file on the host before the
        first setting is sent (C($XDG_DATA_HOME/korvanta/backups/), by default
        under C(~/.local/share/)); its path is returned in C(backup).
      - C(false) passes C(--no-backup).
    type: bool
    default: true
  store:
    description:
      - Have the adapter store its settings at the end (C(AT&W0&W1)), so that
        they survive a power cycle.
      - C(false) passes C(--no-store); what was sent is then lost when the
        adapter is switched off, unless a later run stores it.
    type: bool
    default: true
attributes:
  check_mode:
    support: full
    description: A dry run (C(restore --dry-run)); only queries reach the adapter.
  diff_mode:
    support: full
    description: Each change as C([SECTION] KEY=value) and the value's meaning, the adapter's value before and the profile's after.
seealso:
  - module: korvanta.adapter.backup
  - module: korvanta.adapter.info
'''

EXAMPLES = r'''
- name: The adapter holds the office profile kept beside the playbook
  korvanta.adapter.profile:
    port: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0
    content: "{{ lookup('file', 'profiles/office.ini') }}"

- name: A profile file already on the host, no backup first
  korvanta.adapter.profile:
    port: /dev/ttyUSB0
    src: /etc/korvanta/office.ini
    backup: false
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
      sample: "アナログポート設定 / TEL1ポート / 内線呼出音"
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
      description: What the adapter's value means, in the language of korvanta-cli's messages; null where it has no meaning of its own.
      type: str
    to_text:
      description: What the profile's value means.
      type: str
lacking:
  description:
    - The settings of the profile that the adapter's firmware lacks (the
      setting, or only the profile's value of it), not sent, each with the
      reason. Each is also a warning.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
  sample:
    - caption: "アナログポート設定 / TEL1ポート / 着信転送 / 転送トーキ / 転送元トーキ"
      section: TEL1
      key: TOKI
      reason: the adapter's firmware lacks the setting
unmanaged:
  description:
    - The adapter's settings that the profile does not hold, as its own
      firmware had none; left as they are, and no difference.
  returned: when korvanta-cli read the adapter
  type: list
  elements: dict
  sample:
    - caption: "アナログポート設定 / TEL1ポート / 内線呼出音"
      section: TEL1
      key: RING
backup:
  description: The backup of the adapter's settings taken before the first setting was sent; null when none was taken.
  returned: when korvanta-cli read the adapter
  type: str
  sample: /root/.local/share/korvanta/backups/ttyUSB0-20261208T091502Z.ini
stored:
  description:
    - Whether the adapter stored its settings at the end.
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

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_cli

# What korvanta-cli reports about the adapter, returned when it does.
ADAPTER_KEYS = ('port', 'model', 'firmware')


def arguments(src, check_mode, backup, store):
    """korvanta-cli's restore for the module's options; the profile from src,
    else from standard input."""
    words = ['restore']
    if check_mode:
        words.append('--dry-run')
    else:
        words += [] if backup else ['--no-backup']
        words += [] if store else ['--no-store']
    return words + [src or '-']


def whole_text(content):
    """The text with its last line ended: lookup('file') strips the line end
    that korvanta-cli takes a profile's last line to need (without it, the
    file was cut short)."""
    return content if content.endswith(u'\n') else content + u'\n'


def diff_line(change, side):
    """One side of a change for --diff: [SECTION] KEY=value, the value's
    meaning beside it where korvanta-cli gives one; None where that side
    lacks the setting."""
    value = change.get(side)
    if value is None:
        return None
    line = u'[%s] %s=%s' % (change.get('section'), change.get('key'), value)
    meaning = change.get(side + '_text')
    return line + u'  (%s)' % meaning if meaning else line


def render_diff(changes, before_header, after_header):
    sides = {}
    for side in ('from', 'to'):
        lines = [diff_line(change, side) for change in changes]
        sides[side] = u''.join(line + u'\n' for line in lines if line is not None)
    return dict(before=sides['from'], after=sides['to'],
                before_header=before_header, after_header=after_header)


# What a failed restore reports of each change: the adapter acknowledged it,
# it went out without an answer, or it was never sent.
PROGRESS_KEYS = ('acknowledged', 'unanswered', 'unsent')

# What became of the store, by korvanta-cli's "stored".
STORE = {True: u'the adapter stored what it holds',
         False: u'the store was not sent',
         None: u'the store was sent and not acknowledged: the adapter may or may not keep the changes'}


def dicts(document, name):
    return [item for item in document.get(name) or [] if isinstance(item, dict)]


def how_far(result):
    """What a failed restore got done, in words, from what korvanta-cli
    reported of it (in result)."""
    acknowledged, unanswered, unsent = (len(result[name]) for name in PROGRESS_KEYS)
    total = acknowledged + unanswered + unsent
    if total:
        done = u'%d of %d change%s acknowledged' % (acknowledged, total, u'' if total == 1 else u's')
        done += u', %d sent without an answer' % unanswered if unanswered else u''
        done += u', %d not sent' % unsent if unsent else u''
    else:
        done = u'no change was sent'
    step = result['step']
    return u'the restore failed%s: %s; %s' % (u' while %s' % step if step else u'', done, STORE[result['stored']])


def outcome(run):
    """(result, failed) of a restore from korvanta-cli's status and JSON; a
    failure's message says how far it got where korvanta-cli reported that."""
    document = korvanta_cli.document_of(run, dict)
    result = dict(rc=run.rc, changed=False)
    failed = run.rc != korvanta_cli.DONE or document is None
    if failed:
        result.update(run.failure())
    if document is None:
        return result, failed
    changes = dicts(document, 'changes')
    stored = document.get('stored')
    result.update(changes=changes, lacking=dicts(document, 'skipped'), unmanaged=dicts(document, 'unmanaged'),
                  backup=document.get('backup'), stored=stored if isinstance(stored, bool) else None)
    result.update((key, document[key]) for key in ADAPTER_KEYS if key in document)
    # A change counts when it was sent, or in check mode would be: after a
    # failure, those acknowledged or sent unanswered. The store at the end of
    # every restore changes no setting; status 2 means nothing was sent.
    reported = failed and any(name in document for name in PROGRESS_KEYS)
    if reported:
        result.update((name, list(document.get(name) or [])) for name in PROGRESS_KEYS)
        result['step'] = document.get('step')
        result['msg'] = u'%s. %s' % (how_far(result), result['msg'])
    sent = result['acknowledged'] + result['unanswered'] if reported else changes
    result['changed'] = bool(sent) and run.rc != korvanta_cli.TROUBLE
    return result, failed


def main():
    argument_spec = dict(
        src=dict(type='path'),
        content=dict(type='str'),
        backup=dict(type='bool', default=True),
        store=dict(type='bool', default=True),
    )
    argument_spec.update(korvanta_cli.ARGUMENT_SPEC)
    module = AnsibleModule(argument_spec=argument_spec,
                           mutually_exclusive=[('src', 'content')],
                           required_one_of=[('src', 'content')],
                           supports_check_mode=True)
    params = module.params
    content = params['content']
    data = None if content is None else whole_text(content).encode('utf-8')
    run = korvanta_cli.run(module, arguments(params['src'], module.check_mode, params['backup'], params['store']),
                           data=data)
    result, failed = outcome(run)
    for lack in result.get('lacking', []):
        module.warn(u'[%s] %s not sent: %s' % (lack.get('section'), lack.get('key'), lack.get('reason')))
    if module._diff and result.get('changes'):
        result['diff'] = render_diff(result['changes'], result.get('port') or params['port'] or 'adapter',
                                     params['src'] or 'profile')
    if failed:
        module.fail_json(**result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
