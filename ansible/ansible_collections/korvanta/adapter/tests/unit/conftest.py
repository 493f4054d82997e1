# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

"""A module run against a korvanta-cli that answers as a table says: the
module's arguments in, each run's status, standard output and standard error
out; what the module returned or failed with, and the command lines it ran."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os
import sys

import pytest

# The collection from this tree when pytest runs without ansible-test.
_ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), *[os.pardir] * 5))
if _ROOT not in sys.path:
    sys.path.insert(0, _ROOT)

from ansible.module_utils import basic  # noqa: E402
from ansible.module_utils.common import warnings  # noqa: E402


class Ended(Exception):
    def __init__(self, result, failed):
        super(Ended, self).__init__(result)
        self.result = result
        self.failed = failed


@pytest.fixture
def run_module(monkeypatch):
    def run(main, params, replies, check_mode=False, diff=False):
        # None: an option not given at all.
        arguments = dict(dict(port='/dev/ttyUSB0', executable='/usr/bin/korvanta-cli'), **params)
        arguments = dict((key, value) for key, value in arguments.items() if value is not None)
        arguments.update(_ansible_check_mode=check_mode, _ansible_diff=diff)
        monkeypatch.setattr(basic, '_ANSIBLE_ARGS', json.dumps({'ANSIBLE_MODULE_ARGS': arguments}).encode())
        monkeypatch.setattr(warnings, '_global_warnings', [])
        calls = []
        pending = list(replies)

        def run_command(module, argv, data=None, binary_data=False, encoding='utf-8', **kwargs):
            calls.append(dict(argv=argv, data=data))
            rc, stdout, stderr = pending.pop(0)
            if encoding is None:
                return rc, stdout.encode(), stderr.encode()
            return rc, stdout, stderr

        def end(failed):
            def ended(module, **result):
                result['warnings'] = list(warnings.get_warning_messages())
                raise Ended(result, failed)
            return ended

        monkeypatch.setattr(basic.AnsibleModule, 'run_command', run_command)
        monkeypatch.setattr(basic.AnsibleModule, 'exit_json', end(False))
        monkeypatch.setattr(basic.AnsibleModule, 'fail_json', end(True))
        with pytest.raises(Ended) as ended:
            main()
        assert not pending, 'korvanta-cli was run fewer times than the table says'
        return ended.value.result, ended.value.failed, calls
    return run
