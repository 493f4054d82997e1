# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os
import stat

import pytest

from ansible_collections.korvanta.adapter.plugins.modules import backup, info

PROFILE = u'; KORVAN-TA settings profile\n[TEL1]\nRING=1\n'

# name, the file before (None: none), check mode, korvanta-cli's reply,
# expected: failed, changed, the file after, its mode
BACKUPS = [
    ('a new file', None, False, (0, PROFILE, ''), False, True, PROFILE, 0o600),
    ('the same settings again', PROFILE, False, (0, PROFILE, ''), False, False, PROFILE, 0o600),
    ('other settings', u'[TEL1]\nRING=2\n', False, (0, PROFILE, ''), False, True, PROFILE, 0o600),
    ('check mode leaves the file', u'[TEL1]\nRING=2\n', True, (0, PROFILE, ''), False, True, u'[TEL1]\nRING=2\n',
     None),
    ('the adapter fails: the file is left', u'[TEL1]\nRING=2\n', False, (1, '', 'korvanta-cli: COM1: lost\n'),
     True, False, u'[TEL1]\nRING=2\n', None),
]


@pytest.mark.parametrize('before, check_mode, reply, failed, changed, after, mode',
                         [case[1:] for case in BACKUPS], ids=[case[0] for case in BACKUPS])
def test_backup(run_module, tmp_path, before, check_mode, reply, failed, changed, after, mode):
    dest = tmp_path / 'ta1.ini'
    if before is not None:
        dest.write_text(before, encoding='utf-8')
        os.chmod(str(dest), 0o600)
    result, was_failed, calls = run_module(backup.main, dict(dest=str(dest), mode='0600'), [reply],
                                           check_mode=check_mode, diff=True)
    assert calls[0]['argv'][-2:] == ['backup', '-']
    assert (was_failed, result['changed']) == (failed, changed)
    assert dest.read_text(encoding='utf-8') == after
    if mode is not None:
        assert stat.S_IMODE(os.stat(str(dest)).st_mode) == mode
    if not failed:
        assert (result['diff']['before'], result['diff']['after']) == (before or u'', PROFILE)
    else:
        assert result['msg'] == 'korvanta-cli: COM1: lost'


PORTS = json.dumps([dict(path='/dev/ttyUSB0', by_id=None, description='FT232R USB UART', manufacturer='FTDI',
                         access='yes', driver='ftdi_sio')])
IDENTITY = json.dumps(dict(port='/dev/ttyUSB0', model='KORVAN-TA', firmware='Ver 1.20 99/11/30'))

# name, port, korvanta-cli's replies, expected: the commands run, failed,
# the results
INFOS = [
    ('the ports only', None, [(0, PORTS, '')], [['ports']], False,
     dict(ports=json.loads(PORTS), changed=False)),
    ('and the adapter on one', '/dev/ttyUSB0', [(0, PORTS, ''), (0, IDENTITY, '')],
     [['ports'], ['identify']], False, dict(model='KORVAN-TA', firmware='Ver 1.20 99/11/30', port='/dev/ttyUSB0')),
    ('no adapter answers', '/dev/ttyUSB0', [(0, PORTS, ''), (1, '', 'korvanta-cli: /dev/ttyUSB0: none\n')],
     [['ports'], ['identify']], True, dict(msg='korvanta-cli: /dev/ttyUSB0: none', rc=1)),
    ('the ports not a list', None, [(0, IDENTITY, '')], [['ports']], True, dict(msg='korvanta-cli printed no result')),
]


@pytest.mark.parametrize('port, replies, commands, failed, expected',
                         [case[1:] for case in INFOS], ids=[case[0] for case in INFOS])
def test_info(run_module, port, replies, commands, failed, expected):
    result, was_failed, calls = run_module(info.main, dict(port=port), replies)
    assert '--port' not in calls[0]['argv'] or port
    assert [call['argv'][-1:] for call in calls] == commands
    assert was_failed == failed
    assert dict((key, result.get(key)) for key in expected) == expected
