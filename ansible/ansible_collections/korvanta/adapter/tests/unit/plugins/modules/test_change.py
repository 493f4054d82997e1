# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os
import stat

import pytest

from ansible.module_utils import basic
from ansible_collections.korvanta.adapter.plugins.modules import backup, facts, info, profile, rollback, settings

RING = dict(section='TEL1', key='RING', caption='Analog Port Settings / TEL1 Port / Internal Ring Pattern')


def changed(backup_path=None):
    return (0, json.dumps(dict(changes=[dict(RING, **{'from': '1', 'to': '2'})], skipped=[], backup=backup_path,
                               stored=False)), '')


UNCHANGED = (0, json.dumps(dict(changes=[], skipped=[], backup=None, stored=True)), '')
STORED = (0, json.dumps(dict(stored=True)), '')
GOT = (0, json.dumps(dict(port='/dev/ttyUSB0', model='KORVAN-TA', firmware='Ver 1.30 01/03/15', settings=[
    dict(RING, text='Double ring', unit='', value='2'),
    dict(section='TEL1', key='HASHIN', caption='Analog Port Settings / TEL1 Port / Dial Wait Time', text='6 s',
         unit='s', value='6')])), '')

# name, module, arguments, check mode, korvanta-cli's replies, expected: each
# command line after korvanta-cli --port /dev/ttyUSB0, standard input
COMMAND_LINES = [
    ('merged: set, the store after a change', settings.main, dict(settings={'TEL1.RING': 'Double ring', 'tel2.hashin': 6}),
     False, [changed(), STORED],
     [['--language', 'en', '--json', 'set', '--no-store', 'TEL1.RING=Double ring', 'tel2.hashin=6'],
      ['--language', 'en', '--json', 'store']], None),
    ('merged with nothing to send: no store', settings.main, dict(settings={'TEL1.RING': 2}, language='ja'), False,
     [UNCHANGED], [['--language', 'ja', '--json', 'set', '--no-store', 'TEL1.RING=2']], None),
    ('replaced: a whole profile on standard input, sections in the order given', settings.main,
     dict(settings={'TEL1.RING': '2', 'PROFILE.MODEL': 'KORVAN-TA', 'TEL1.HASHIN': '6'}, state='replaced',
          save_when='always', language='c'), False, [UNCHANGED],
     [['--language', 'c', '--json', 'restore', '-']], b'[TEL1]\nRING=2\nHASHIN=6\n[PROFILE]\nMODEL=KORVAN-TA\n'),
    ('check mode: a dry run, never a store', settings.main, dict(settings={'TEL1.RING': '2'}, save_when='always'), True,
     [changed()], [['--language', 'en', '--json', 'set', '--dry-run', 'TEL1.RING=2']], None),
    ('rollback of an entry, no history of its own, never stored', rollback.main,
     dict(entry='20261208T0915', backup=False, save_when='never'), False, [changed()],
     [['--language', 'en', '--json', 'rollback', '--no-backup', '--no-store', '20261208T0915']], None),
    ('rollback of the newest entry', rollback.main, {}, False, [changed(), STORED],
     [['--language', 'en', '--json', 'rollback', '--no-store'], ['--language', 'en', '--json', 'store']], None),
    ('facts of some sections', facts.main, dict(gather_subset=['TEL1', 'data.speed']), False, [GOT],
     [['--language', 'en', '--json', 'get', 'TEL1', 'data.speed']], None),
    ('facts of all', facts.main, dict(gather_subset=['TEL1', 'all']), False, [GOT],
     [['--language', 'en', '--json', 'get']], None),
]


@pytest.mark.parametrize('main, params, check_mode, replies, argvs, data',
                         [case[1:] for case in COMMAND_LINES], ids=[case[0] for case in COMMAND_LINES])
def test_command_lines(run_module, main, params, check_mode, replies, argvs, data):
    result, failed, calls = run_module(main, params, replies, check_mode=check_mode)
    assert not failed, result
    assert [call['argv'][3:] for call in calls] == argvs
    assert calls[0]['data'] == data


# name, module, arguments, korvanta-cli's replies, expected: rc, the start
# of msg, whether the change was made
FAILURES = [
    ('korvanta-cli not on the host', info.main, dict(executable=None), [], 127, 'korvanta-cli is not on the PATH',
     False),
    ('a value YAML took for a truth value', settings.main, dict(settings={'TEL1.RING': True, 'TEL1.A': 1}), [], 2,
     'TEL1.RING: a value is needed', False),
    ('no settings', settings.main, dict(settings={}), [], 2, 'no settings given', False),
    ('a whole profile with a name that is no SECTION.KEY', settings.main,
     dict(settings={'TEL1.': '2'}, state='replaced'), [], 2, 'a whole profile names every setting', False),
    ('a backup folder that cannot be made: nothing sent', settings.main,
     dict(settings={'TEL1.RING': '2'}, backup_options=dict(dir_path='FILE/backups')), [], 2, 'the backup folder',
     False),
    ('the history entry cannot be copied', settings.main,
     dict(settings={'TEL1.RING': '2'}, backup_options=dict(dir_path='kept', filename='x/y.ini')),
     [changed('missing.ini'), STORED], 0, 'the backup could not be kept as kept/x/y.ini', True),
    ('the store after a change printed nothing', rollback.main, {}, [changed(), (0, '', '')], 0,
     'the settings were sent and not stored', True),
    ('korvanta-cli refuses the change', settings.main, dict(settings={'TEL1.NOPE': '2'}),
     [(2, '', 'korvanta-cli: TEL1.NOPE: no such setting\n')], 2, 'korvanta-cli: TEL1.NOPE', False),
    ('the rollback finds no entry', rollback.main, dict(entry='99'), [(2, '', 'no entry 99\n')], 2, 'no entry 99',
     False),
    ('facts from an adapter that does not answer', facts.main, {}, [(1, '', 'no adapter\n')], 1, 'no adapter', False),
    ('facts of another shape', facts.main, {}, [(0, '[]', '')], 0, 'korvanta-cli printed no result', False),
    ('a backup into a folder', backup.main, dict(dest='.'), [], 2, '. is a folder', False),
    ('a backup whose folder cannot be made', backup.main, dict(dest='FILE/ta1.ini'), [], 2, 'the folder of', False),
]


@pytest.mark.parametrize('main, params, replies, rc, msg, was_changed',
                         [case[1:] for case in FAILURES], ids=[case[0] for case in FAILURES])
def test_every_failure_has_rc(run_module, monkeypatch, tmp_path, main, params, replies, rc, msg, was_changed):
    monkeypatch.chdir(tmp_path)
    (tmp_path / 'FILE').write_text(u'')
    monkeypatch.setattr(basic.AnsibleModule, 'get_bin_path', lambda *args, **kwargs: None)
    result, failed, calls = run_module(main, params, replies)
    assert failed
    assert (result['rc'], result['msg'][:len(msg)], bool(result.get('changed'))) == (rc, msg, was_changed)


@pytest.mark.parametrize('filename, kept', [(None, 'entry.ini'), ('ta1.ini', 'ta1.ini')])
def test_backup_options_keep_the_entry_in_a_new_folder(run_module, tmp_path, filename, kept):
    entry = tmp_path / 'entry.ini'
    entry.write_text(u'[TEL1]\nRING=1\n')
    folder = tmp_path / 'new' / 'backups'
    params = dict(settings={'TEL1.RING': '2'}, backup_options=dict(dir_path=str(folder), filename=filename))
    result, failed, calls = run_module(settings.main, params, [changed()], check_mode=True)
    assert not failed and not folder.exists()
    result, failed, calls = run_module(settings.main, params, [changed(str(entry)), STORED])
    assert not failed
    assert result['backup_path'] == str(folder / kept)
    assert (folder / kept).read_text() == u'[TEL1]\nRING=1\n'
    assert stat.S_IMODE(os.stat(str(folder / kept)).st_mode) == 0o600


def test_facts_by_name_with_the_raw_values_a_whole_profile():
    document = json.loads(GOT[1])
    found = facts.facts(document, True)
    assert found['settings']['TEL1.HASHIN'] == document['settings'][1]
    assert found['raw'] == {'TEL1.RING': '2', 'TEL1.HASHIN': '6', 'PROFILE.MODEL': 'KORVAN-TA',
                            'PROFILE.FIRMWARE': 'Ver 1.30 01/03/15'}
    assert 'PROFILE.MODEL' not in facts.facts(document, False)['raw']
