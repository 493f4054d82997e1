#!/usr/bin/python
# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: backup
short_description: Save a KORVAN-TA adapter's settings to a profile file
description:
  - Reads every setting of the KORVAN-TA ISDN terminal adapter on a serial
    port of the host into the profile file I(dest) on that host, as
    C(korvanta-cli backup) does. Nothing but queries reach the adapter.
  - The same settings always give the same bytes, so the task reports
    C(changed) only when the file's content changed (or its mode or owner, as
    for the file modules). The file is replaced only once it is whole.
  - The profile is what M(korvanta.adapter.profile) takes to bring an adapter
    back to these settings.
version_added: 1.0.0
author:
  - The KORVAN-TA settings utility developers (!UNKNOWN)
extends_documentation_fragment:
  - korvanta.adapter.cli
  - ansible.builtin.files
options:
  dest:
    description:
      - The profile file on the host. Its folder is made when missing, with
        its parents, as the file modules make folders (mode by the umask).
    type: path
    required: true
attributes:
  check_mode:
    support: full
    description: The adapter is read; the file is left as it is and C(changed) says whether it would change.
  diff_mode:
    support: full
    description: The file's lines before and after.
seealso:
  - module: korvanta.adapter.profile
  - module: korvanta.adapter.info
'''

EXAMPLES = r'''
- name: Every setting of the adapter into a profile, readable by its owner only
  korvanta.adapter.backup:
    port: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0
    dest: /var/backups/korvanta/office-ta1.ini
    mode: "0600"

- name: And onto the controller, into version control
  ansible.builtin.fetch:
    src: /var/backups/korvanta/office-ta1.ini
    dest: profiles/
'''

RETURN = r'''
dest:
  description: The profile file.
  returned: success
  type: str
  sample: /var/backups/korvanta/office-ta1.ini
rc:
  description: korvanta-cli's exit status; 2 when the module could not use I(dest).
  returned: always
  type: int
  sample: 0
'''

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.common.text.converters import to_native, to_text

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_cli


def current_content(path):
    """The file's bytes; None when there is no file."""
    try:
        with open(path, 'rb') as existing:
            return existing.read()
    except (IOError, OSError):
        return None


def replace(module, dest, content):
    """Writes content beside dest and renames it over dest."""
    handle, temporary = tempfile.mkstemp(prefix='.korvanta-', dir=os.path.dirname(dest) or '.')
    try:
        with os.fdopen(handle, 'wb') as written:
            written.write(content)
    except (IOError, OSError) as e:
        os.unlink(temporary)
        module.fail_json(msg='%s: %s' % (dest, to_native(e)), dest=dest, rc=korvanta_cli.TROUBLE)
    module.atomic_move(temporary, dest)


def main():
    argument_spec = dict(dest=dict(type='path', required=True))
    argument_spec.update(korvanta_cli.ARGUMENT_SPEC)
    module = AnsibleModule(argument_spec=argument_spec, add_file_common_args=True, supports_check_mode=True)
    dest = module.params['dest']
    if os.path.isdir(dest):
        module.fail_json(msg='%s is a folder' % dest, dest=dest, rc=korvanta_cli.TROUBLE)
    folder = os.path.dirname(dest) or '.'
    if not os.path.isdir(folder) and not module.check_mode:
        try:
            os.makedirs(folder)
        except (IOError, OSError) as e:
            module.fail_json(msg='the folder of %s: %s' % (dest, to_native(e)), dest=dest, rc=korvanta_cli.TROUBLE)

    run = korvanta_cli.run(module, ['backup', '-'], as_json=False)
    result = dict(dest=dest, rc=run.rc, changed=False)
    if run.rc != korvanta_cli.DONE or not run.stdout:
        result.update(run.failure())
        module.fail_json(**result)

    before = current_content(dest)
    result['changed'] = before != run.stdout
    if module._diff:
        result['diff'] = dict(before=to_text(before or b''), after=to_text(run.stdout),
                              before_header=dest, after_header=module.params['port'])
    if result['changed'] and not module.check_mode:
        replace(module, dest, run.stdout)
    file_args = module.load_file_common_arguments(module.params)
    result['changed'] = module.set_fs_attributes_if_different(file_args, result['changed'])
    module.exit_json(**result)


if __name__ == '__main__':
    main()
