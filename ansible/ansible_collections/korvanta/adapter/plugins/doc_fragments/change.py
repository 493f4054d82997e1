# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # The options of the modules that change an adapter
    # (plugins/module_utils/korvanta_change.py).
    DOCUMENTATION = r'''
options:
  backup:
    description:
      - Keep the adapter's settings as they were before the first setting is
        sent, as an entry of the port's history on the host
        (C($XDG_DATA_HOME/korvanta/history/PORT/), by default under
        C(~/.local/share/)); its path is returned in C(backup), and
        M(korvanta.adapter.rollback) brings it back.
      - C(false) passes C(--no-backup); the change then cannot be rolled
        back.
      - No entry is kept when nothing is sent.
    type: bool
    default: true
  backup_options:
    description:
      - Also copy the history entry into a folder of your own on the host.
        Read only when I(backup) is true.
    type: dict
    suboptions:
      dir_path:
        description:
          - The folder. It is made when missing, with its parents, as the
            file modules make folders, before anything is sent.
        type: path
        required: true
      filename:
        description:
          - The copy's name in I(dir_path); the entry's own name (its UTC time,
            C(20261208T091502.123Z.ini)) when not given.
          - The copy is readable by its owner alone (mode 0600), as it holds
            telephone numbers.
        type: str
  save_when:
    description:
      - When the adapter stores its settings (C(AT&W0&W1)), so that they
        survive a power cycle.
      - C(changed), after a run that sent a setting (C(korvanta-cli store)
        after a change made with C(--no-store)); a run with nothing to send
        sends only queries.
      - C(always), at the end of every run, changed or not, as korvanta-cli
        does by itself; it also stores what an earlier run left unstored
        (one cut short, or with C(never)). Storing changes no setting, so a
        run with nothing to send is still C(ok).
      - C(never) passes C(--no-store). The adapter holds the change only
        until it is switched off or loses power, then comes back with its
        stored settings, unless a later run (or C(korvanta-cli store)) stores
        them.
    type: str
    choices: [always, changed, never]
    default: changed
'''
