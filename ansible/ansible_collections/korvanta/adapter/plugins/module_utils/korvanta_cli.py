# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

"""Runs korvanta-cli for the modules of korvanta.adapter.

Everything about the adapter is korvanta-cli's: the modules give it their
options and read back only what it means for a program, its exit status and
the JSON document it prints. Its messages are passed on as they are, never
read.
"""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

# korvanta-cli's exit statuses.
DONE = 0     # done; for diff: nothing differs
FAILED = 1   # the adapter or the line failed, the adapter may have been changed
TROUBLE = 2  # wrong usage, or a file it cannot use: nothing was sent

NOT_FOUND = 127  # korvanta-cli is not on the host, as a shell says it

# The options of every module (plugins/doc_fragments/cli.py documents them).
# The messages are English by default, whatever the host's locale, so that a
# playbook's output reads the same on every host.
ARGUMENT_SPEC = dict(
    port=dict(type='str', required=True),
    workfile=dict(type='path'),
    log=dict(type='path'),
    language=dict(type='str', choices=['ja', 'en', 'c'], default='en'),
    executable=dict(type='path'),
)


class Run(object):
    """One run of korvanta-cli: the command line, the exit status, standard
    output (text, or bytes when asked for), standard error, and the JSON
    document read from standard output (None when there is none)."""

    def __init__(self, argv, rc, stdout, stderr, document=None, unreadable=False):
        self.argv = argv
        self.rc = rc
        self.stdout = stdout
        self.stderr = stderr
        self.document = document
        self.unreadable = unreadable  # standard output held something that is not JSON

    def message(self):
        """korvanta-cli's own message, one line; what happened where it said nothing."""
        said = ' '.join(line.strip() for line in self.stderr.splitlines() if line.strip())
        if said:
            return said
        if self.rc < 0:
            return 'korvanta-cli was ended by signal %d' % -self.rc
        if self.rc != DONE:
            return 'korvanta-cli ended with status %d' % self.rc
        if self.unreadable:
            return 'korvanta-cli printed a result that is not JSON'
        return 'korvanta-cli printed no result'

    def failure(self):
        """What a failed module returns beside its own results."""
        return dict(msg=self.message(), rc=self.rc, stderr=self.stderr, cmd=self.argv)


def read_document(stdout):
    """The JSON document korvanta-cli printed: (document, unreadable)."""
    text = stdout.strip()
    if not text:
        return None, False
    try:
        return json.loads(text), False
    except ValueError:
        return None, True


def command_line(executable, params, arguments, as_json=True):
    """korvanta-cli's arguments for a command and the module's options."""
    argv = [executable]
    for option in ('port', 'workfile', 'log', 'language'):
        if params.get(option):
            argv += ['--' + option, params[option]]
    if as_json:
        argv.append('--json')
    return argv + list(arguments)


def run(module, arguments, data=None, as_json=True):
    """Runs korvanta-cli with the module's options and the arguments.

    data goes to its standard input, as it is. With as_json the JSON document
    is read; without, standard output is kept as bytes (a profile)."""
    executable = module.params.get('executable') or module.get_bin_path('korvanta-cli')
    if not executable:
        module.fail_json(msg='korvanta-cli is not on the PATH of the host: install the korvanta-cli package '
                             'there, or give its path as executable', rc=NOT_FOUND)
    argv = command_line(executable, module.params, arguments, as_json)
    rc, stdout, stderr = module.run_command(argv, data=data, binary_data=True,
                                            encoding='utf-8' if as_json else None)
    if not as_json:
        return Run(argv, rc, stdout, stderr.decode('utf-8', 'replace'))
    document, unreadable = read_document(stdout)
    return Run(argv, rc, stdout, stderr, document, unreadable)


def document_of(run_result, kind):
    """The document when it is of the kind the command prints (dict or list),
    else None: a run that printed none, or something else."""
    return run_result.document if isinstance(run_result.document, kind) else None
