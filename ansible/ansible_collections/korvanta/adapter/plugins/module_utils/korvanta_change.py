# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

"""The modules that change an adapter (profile, settings, rollback): one of
korvanta-cli's restore, set and rollback, which all print the same JSON
document, read into the module's result; the store when save_when asks for
it; the history entry korvanta-cli kept copied where backup_options say.
"""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import os
import shutil

from ansible.module_utils.common.text.converters import to_native

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_cli

# The options of every module that changes an adapter, beside those of
# korvanta_cli (plugins/doc_fragments/change.py documents them).
ARGUMENT_SPEC = dict(
    backup=dict(type='bool', default=True),
    backup_options=dict(type='dict', options=dict(
        dir_path=dict(type='path', required=True),
        filename=dict(type='str'),
    )),
    save_when=dict(type='str', choices=['always', 'changed', 'never'], default='changed'),
)
ARGUMENT_SPEC.update(korvanta_cli.ARGUMENT_SPEC)

# What korvanta-cli reports about the adapter, returned when it does.
ADAPTER_KEYS = ('port', 'model', 'firmware')

# What a failed change reports of each setting: the adapter acknowledged it,
# it went out without an answer, or it was never sent.
PROGRESS_KEYS = ('acknowledged', 'unanswered', 'unsent')

# What became of the store, by korvanta-cli's "stored".
STORE = {True: u'the adapter stored what it holds',
         False: u'the store was not sent',
         None: u'the store was sent and not acknowledged: the adapter may or may not keep the changes'}


def options(check_mode, params):
    """korvanta-cli's options of a change for the module's: a dry run in check
    mode; else no history entry without backup, and the store left to the
    module (or to nobody) unless save_when is always."""
    if check_mode:
        return ['--dry-run']
    words = [] if params['backup'] else ['--no-backup']
    return words + ([] if params['save_when'] == 'always' else ['--no-store'])


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


def dicts(document, name):
    return [item for item in document.get(name) or [] if isinstance(item, dict)]


def how_far(result, what):
    """What a failed change (what: restore, change, rollback) got done, in
    words, from what korvanta-cli reported of it (in result)."""
    acknowledged, unanswered, unsent = (len(result[name]) for name in PROGRESS_KEYS)
    total = acknowledged + unanswered + unsent
    if total:
        done = u'%d of %d change%s acknowledged' % (acknowledged, total, u'' if total == 1 else u's')
        done += u', %d sent without an answer' % unanswered if unanswered else u''
        done += u', %d not sent' % unsent if unsent else u''
    else:
        done = u'no change was sent'
    step = result['step']
    return u'the %s failed%s: %s; %s' % (what, u' while %s' % step if step else u'', done, STORE[result['stored']])


def outcome(run, what='restore'):
    """(result, failed) of a change from korvanta-cli's status and JSON; a
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
    # failure, those acknowledged or sent unanswered. The store at the end
    # changes no setting; status 2 means nothing was sent.
    reported = failed and any(name in document for name in PROGRESS_KEYS)
    if reported:
        result.update((name, list(document.get(name) or [])) for name in PROGRESS_KEYS)
        result['step'] = document.get('step')
        result['msg'] = u'%s. %s' % (how_far(result, what), result['msg'])
    sent = result['acknowledged'] + result['unanswered'] if reported else changes
    result['changed'] = bool(sent) and run.rc != korvanta_cli.TROUBLE
    return result, failed


def store(module, result):
    """save_when=changed: the adapter stores what was sent. A store that
    failed fails the task: the settings are held but lost at power-off."""
    run = korvanta_cli.run(module, ['store'])
    document = korvanta_cli.document_of(run, dict) or {}
    stored = document.get('stored')
    result['stored'] = stored if isinstance(stored, bool) else None
    if run.rc != korvanta_cli.DONE or result['stored'] is not True:
        result.update(run.failure())
        result['msg'] = u'the settings were sent and not stored: the adapter loses them at power-off ' \
                        u'unless a later run stores them. %s' % result['msg']
        return False
    return True


def backup_folder(module):
    """backup_options' dir_path, made as the file modules make folders,
    before anything is sent; None when no copy is asked for. A folder that
    cannot be made fails the task: nothing was sent."""
    chosen = module.params['backup_options']
    if module.check_mode or not (chosen and module.params['backup']):
        return None
    try:
        if not os.path.isdir(chosen['dir_path']):
            os.makedirs(chosen['dir_path'])
    except (IOError, OSError) as e:
        module.fail_json(msg=u'the backup folder %s: %s; nothing was sent' % (chosen['dir_path'], to_native(e)),
                         rc=korvanta_cli.TROUBLE, changed=False)
    return chosen['dir_path']


def keep_backup(module, folder, result):
    """The history entry korvanta-cli kept copied into the backup folder,
    readable by its owner alone as the entry is. What went wrong, or None."""
    if not (folder and result.get('backup')):
        return None
    path = os.path.join(folder, module.params['backup_options']['filename'] or os.path.basename(result['backup']))
    try:
        shutil.copyfile(result['backup'], path)
        os.chmod(path, 0o600)
    except (IOError, OSError) as e:
        return u'the backup could not be kept as %s: %s' % (path, to_native(e))
    result['backup_path'] = path
    return None


def apply(module, arguments, data=None, what='restore', target='the change'):
    """Runs korvanta-cli's change (its command, then its arguments after the
    options), then the store and the backup copy as the options ask; ends the
    module with the result. what names the change in a failure's message,
    target the after side of --diff."""
    params = module.params
    folder = backup_folder(module)
    run = korvanta_cli.run(module, arguments[:1] + options(module.check_mode, params) + arguments[1:], data=data)
    result, failed = outcome(run, what)
    for lack in result.get('lacking', []):
        module.warn(u'[%s] %s not sent: %s' % (lack.get('section'), lack.get('key'), lack.get('reason')))
    if module._diff and result.get('changes'):
        result['diff'] = render_diff(result['changes'], result.get('port') or params['port'], target)
    if not (failed or module.check_mode) and result['changed'] and params['save_when'] == 'changed':
        failed = not store(module, result)
    trouble = keep_backup(module, folder, result)
    if trouble:
        result['msg'] = u'%s; %s' % (trouble, result['msg']) if failed else trouble
        failed = True
    if failed:
        module.fail_json(**result)
    module.exit_json(**result)
