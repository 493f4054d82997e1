# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

import pytest

from ansible_collections.korvanta.adapter.plugins.modules import backup, info, profile

RING = dict(caption=u'TEL1 内線呼出音', section='TEL1', key='RING')
LACKS = "the adapter's firmware lacks the setting"


def restored(changes=(), skipped=(), backup=None, stored=True, **more):
    return json.dumps(dict(changes=list(changes), skipped=list(skipped), backup=backup, stored=stored, **more))


# Six changes of TEL1, A to F.
SIX = [dict(section='TEL1', key=key, **{'from': '0', 'to': '1'}) for key in 'ABCDEF']

# The store korvanta-cli was asked for after a change (save_when=changed).
STORED = (0, json.dumps(dict(port='/dev/ttyUSB0', stored=True)), '')

# name, module arguments, check mode, korvanta-cli's (status, stdout, stderr),
# expected: the restore's options, failed, changed, msg, warnings, more results
CASES = [
    ('a setting sent, then stored', dict(content=u'[TEL1]\nRING=2'), False,
     [(0, restored([dict(RING, **{'from': '1', 'to': '2'})], backup='/b/pts_3.ini', stored=False), ''), STORED],
     ['restore', '--no-store', '-'], False, True, None, [], dict(backup='/b/pts_3.ini', stored=True)),
    ('nothing to send: nothing stored', dict(src='/p.ini'), False,
     (0, restored(stored=False), ''), ['restore', '--no-store', '/p.ini'], False, False, None, [],
     dict(changes=[], stored=False)),
    ('save_when always: korvanta-cli stores, changed or not', dict(src='/p.ini', save_when='always'), False,
     (0, restored(), ''), ['restore', '/p.ini'], False, False, None, [], dict(changes=[], stored=True)),
    ('check mode is a dry run, whatever backup and save_when say',
     dict(src='/p.ini', backup=False, save_when='never'), True,
     (0, restored([dict(RING, **{'from': '1', 'to': '2'})], stored=False), ''),
     ['restore', '--dry-run', '/p.ini'], False, True, None, [], dict(stored=False)),
    ('no backup, save_when never: changed and not stored', dict(src='/p.ini', backup=False, save_when='never'), False,
     (0, restored([dict(RING, **{'from': '1', 'to': '2'})], stored=False), ''),
     ['restore', '--no-backup', '--no-store', '/p.ini'], False, True, None, [], dict(stored=False)),
    ('the store after the change unacknowledged: failed, rc and what it risks', dict(src='/p.ini'), False,
     [(0, restored([dict(RING, **{'from': '1', 'to': '2'})], stored=False), ''),
      (1, '', 'korvanta-cli: /dev/ttyUSB0: no answer\n')],
     ['restore', '--no-store', '/p.ini'], True, True,
     'the settings were sent and not stored: the adapter loses them at power-off unless a later run stores them. '
     'korvanta-cli: /dev/ttyUSB0: no answer', [], dict(rc=1, stored=None)),
    ('what the firmware lacks is a warning, and "lacking", never "skipped" (Ansible\'s own)', dict(src='/p.ini'),
     False, [(0, restored([dict(RING, **{'from': '1', 'to': '2'})], skipped=[dict(RING, key='TOKI', reason=LACKS)]),
              ''), STORED],
     ['restore', '--no-store', '/p.ini'], False, True, None, [u"[TEL1] TOKI not sent: " + LACKS],
     dict(lacking=[dict(RING, key='TOKI', reason=LACKS)])),
    ('in check mode too', dict(src='/p.ini'), True,
     (0, restored(skipped=[dict(RING, reason=LACKS)], stored=False), ''),
     ['restore', '--dry-run', '/p.ini'], False, False, None, [u"[TEL1] RING not sent: " + LACKS], {}),
    ('more keys, the adapter returned', dict(src='/p.ini'), False,
     (0, restored(port='/dev/ttyUSB0', model='KORVAN-TA', firmware='Ver 1.30 01/03/15', took_ms=12), ''),
     ['restore', '--no-store', '/p.ini'], False, False, None, [], dict(port='/dev/ttyUSB0', model='KORVAN-TA')),
    ('a refused profile: its message and status, nothing sent', dict(src='/p.ini'), False,
     (2, '', u'korvanta-cli: /dev/ttyUSB0: /p.ini:3: TEL1/RING: "9"\n'), ['restore', '--no-store', '/p.ini'],
     True, False, u'korvanta-cli: /dev/ttyUSB0: /p.ini:3: TEL1/RING: "9"', [], dict(rc=2)),
    ('no backup written, so nothing sent', dict(src='/p.ini'), False,
     (2, restored([dict(RING, **{'from': '1', 'to': '2'})], stored=False), 'korvanta-cli: disk full\n'),
     ['restore', '--no-store', '/p.ini'], True, False, 'korvanta-cli: disk full', [], {}),
    ('the line lost after the first setting', dict(src='/p.ini'), False,
     (1, restored([dict(RING, **{'from': '1', 'to': '2'})], stored=False), 'korvanta-cli: line lost\nsent 1\n'),
     ['restore', '--no-store', '/p.ini'], True, True, 'korvanta-cli: line lost sent 1', [], dict(rc=1)),
    ('the line lost while writing: how far it got, in msg and lists', dict(src='/p.ini'), False,
     (1, restored(SIX, stored=False, acknowledged=['TEL1.A', 'TEL1.B', 'TEL1.C'], unanswered=['TEL1.D'],
                  unsent=['TEL1.E', 'TEL1.F'], step='writing'), 'korvanta-cli: line lost\n'),
     ['restore', '--no-store', '/p.ini'], True, True,
     'the restore failed while writing: 3 of 6 changes acknowledged, 1 sent without an answer, 2 not sent; '
     'the store was not sent. korvanta-cli: line lost', [],
     dict(acknowledged=['TEL1.A', 'TEL1.B', 'TEL1.C'], unanswered=['TEL1.D'], unsent=['TEL1.E', 'TEL1.F'],
          stored=False, step='writing')),
    ('the store sent and unanswered: maybe kept', dict(src='/p.ini'), False,
     (1, restored(SIX[:1], stored=None, acknowledged=['TEL1.A'], unanswered=[], unsent=[], step='storing'), ''),
     ['restore', '--no-store', '/p.ini'], True, True,
     'the restore failed while storing: 1 of 1 change acknowledged; the store was sent and not acknowledged: '
     'the adapter may or may not keep the changes. korvanta-cli ended with status 1', [], dict(stored=None)),
    ('only unanswered: changed, and the store acknowledged', dict(src='/p.ini'), False,
     (1, restored(SIX[:1], acknowledged=[], unanswered=['TEL1.A'], unsent=[], step='reading back'), 'x\n'),
     ['restore', '--no-store', '/p.ini'], True, True,
     'the restore failed while reading back: 0 of 1 change acknowledged, 1 sent without an answer; '
     'the adapter stored what it holds. x', [], dict(stored=True, unanswered=['TEL1.A'])),
    ('lost before the first change went out: not changed', dict(src='/p.ini'), False,
     (1, restored(SIX[:2], stored=False, acknowledged=[], unanswered=[], unsent=['TEL1.A', 'TEL1.B'], step='writing'),
      'z\n'), ['restore', '--no-store', '/p.ini'], True, False,
     'the restore failed while writing: 0 of 2 changes acknowledged, 2 not sent; the store was not sent. z', [], {}),
    ('lost while reading: nothing sent', dict(src='/p.ini'), False,
     (1, restored(stored=False, acknowledged=[], unanswered=[], unsent=[], step='reading'), 'y\n'),
     ['restore', '--no-store', '/p.ini'], True, False, 'the restore failed while reading: no change was sent; the store was not sent. y',
     [], dict(acknowledged=[])),
    ('the store unacknowledged, nothing else to send', dict(src='/p.ini'), False,
     (1, restored(stored=False), 'korvanta-cli: not stored\n'), ['restore', '--no-store', '/p.ini'], True, False,
     'korvanta-cli: not stored', [], dict(stored=False)),
    ('the port does not open', dict(src='/p.ini'), False,
     (1, '', ''), ['restore', '--no-store', '/p.ini'], True, False, 'korvanta-cli ended with status 1', [], {}),
    ('ended by a signal', dict(src='/p.ini'), False,
     (-15, '', ''), ['restore', '--no-store', '/p.ini'], True, False, 'korvanta-cli was ended by signal 15', [], {}),
    ('a result cut short', dict(src='/p.ini'), False,
     (0, '{"changes": [', ''), ['restore', '--no-store', '/p.ini'], True, False, 'korvanta-cli printed a result that is not JSON',
     [], {}),
    ('a result of another shape', dict(src='/p.ini'), False,
     (0, '[]', ''), ['restore', '--no-store', '/p.ini'], True, False, 'korvanta-cli printed no result', [], {}),
]


@pytest.mark.parametrize('params, check_mode, reply, options, failed, changed, msg, warned, more',
                         [case[1:] for case in CASES], ids=[case[0] for case in CASES])
def test_restore(run_module, params, check_mode, reply, options, failed, changed, msg, warned, more):
    replies = reply if isinstance(reply, list) else [reply]
    result, was_failed, calls = run_module(profile.main, params, replies, check_mode=check_mode, diff=check_mode)
    assert calls[0]['argv'] == ['/usr/bin/korvanta-cli', '--port', '/dev/ttyUSB0', '--language', 'en', '--json'] + options
    assert [call['argv'][-1] for call in calls[1:]] == ['store'] * (len(replies) - 1)
    assert (was_failed, result['changed'], result.get('msg'), result['warnings']) == (failed, changed, msg, warned)
    assert dict((key, result.get(key)) for key in more) == more
    assert 'skipped' not in result


# The options every module passes on, on each command line it runs.
COMMON = dict(port='/dev/ttyUSB0', workfile='/w/ta1.ini', log='/w/ta1.log')
MODULES = [
    ('profile', profile.main, dict(src='/p.ini'), [(0, restored(), '')]),
    ('backup', backup.main, dict(dest='ta1.ini'), [(1, '', 'lost\n')]),
    ('info', info.main, {}, [(0, '[]', ''), (0, '{}', '')]),
]


@pytest.mark.parametrize('main, params, replies', [case[1:] for case in MODULES], ids=[case[0] for case in MODULES])
def test_port_workfile_and_log_reach_korvanta_cli(run_module, monkeypatch, tmp_path, main, params, replies):
    monkeypatch.chdir(tmp_path)
    calls = run_module(main, dict(params, **COMMON), replies)[2]
    for call in calls:
        assert call['argv'][1:7] == ['--port', '/dev/ttyUSB0', '--workfile', '/w/ta1.ini', '--log', '/w/ta1.log']


def test_content_on_standard_input_with_its_last_line_ended(run_module):
    for content in (u'[TEL1]\nRING=2', u'[TEL1]\nRING=2\n'):
        calls = run_module(profile.main, dict(content=content), [(0, restored(), '')])[2]
        assert calls[0]['data'] == u'[TEL1]\nRING=2\n'.encode('utf-8')


def test_diff_shows_each_change_before_and_after(run_module):
    changes = [dict(RING, **{'from': '1', 'to': '2', 'from_text': u'1回', 'to_text': u'2回'}),
               dict(section='TEL2', key='TOKI', **{'from': None, 'to': '1'})]
    result = run_module(profile.main, dict(src='/p.ini', port='COM2'), [(0, restored(changes), '')],
                        check_mode=True, diff=True)[0]
    assert result['diff'] == dict(before=u'[TEL1] RING=1  (1回)\n',
                                  after=u'[TEL1] RING=2  (2回)\n[TEL2] TOKI=1\n',
                                  before_header='COM2', after_header='/p.ini')
