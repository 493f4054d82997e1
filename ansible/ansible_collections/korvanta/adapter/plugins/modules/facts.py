#!/usr/bin/python
# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: facts
short_description: A KORVAN-TA adapter's settings as facts
description:
  - Reads the settings of the KORVAN-TA ISDN terminal adapter, as
    C(korvanta-cli get) does, into the host's facts, C(ansible_facts.korvanta) -
    the adapter's model and firmware, and each setting with its raw value,
    its value as the window shows it, and where it is in the window program.
  - Nothing but queries reach the adapter; only the windows' parts that hold
    the settings of I(gather_subset) are read.
version_added: 2.0.0
author:
  - The KORVAN-TA settings utility developers (!UNKNOWN)
extends_documentation_fragment:
  - korvanta.adapter.cli
options:
  gather_subset:
    description:
      - The settings to read, C(all) or each a profile's section (C(TEL1),
        C(DATA), C(TANSYUKU); C(man 5 korvanta-profile) lists them) or a
        single setting, C(SECTION.KEY). Case-blind.
    type: list
    elements: str
    default: [all]
attributes:
  check_mode:
    support: full
    description: It only reads; it runs the same in check mode.
  diff_mode:
    support: none
    description: It changes nothing.
  facts:
    support: full
    description: The settings go to C(ansible_facts.korvanta).
seealso:
  - module: korvanta.adapter.settings
  - module: korvanta.adapter.backup
'''

EXAMPLES = r'''
- name: The telephone ports' settings of every adapter
  korvanta.adapter.facts:
    port: "{{ korvanta_port }}"
    gather_subset: [TEL1, TEL2, TEL3]

- name: The adapters whose TEL1 rings otherwise than the first's
  ansible.builtin.debug:
    msg: "{{ ansible_facts.korvanta.settings['TEL1.RING'].text }}"
  when: ansible_facts.korvanta.raw['TEL1.RING'] != hostvars['ta1'].ansible_facts.korvanta.raw['TEL1.RING']
'''

RETURN = r'''
ansible_facts:
  description: The facts.
  returned: success
  type: dict
  contains:
    korvanta:
      description: The adapter and its settings.
      returned: success
      type: dict
      contains:
        port:
          description: The adapter's port, by its /dev/serial/by-id/ name where it has one.
          type: str
          sample: /dev/ttyUSB0
        model:
          description: The adapter's model.
          type: str
          sample: KORVAN-TA
        firmware:
          description: The adapter's firmware.
          type: str
          sample: Ver 1.30 01/03/15
        settings:
          description:
            - Each setting read, by its name C(SECTION.KEY) as a profile has
              it, in the order of the windows.
          type: dict
          contains:
            value:
              description: The raw value, as a profile holds it.
              type: str
              sample: "2"
            text:
              description: The value as its window shows it, in the module's I(language).
              type: str
              sample: Double ring
            unit:
              description: The unit of a number, empty where it has none.
              type: str
              sample: s
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
        raw:
          description:
            - Each setting's raw value by its name; with every setting read,
              the I(settings) that make another adapter equal to this one with
              M(korvanta.adapter.settings) and I(state=replaced).
          type: dict
          sample:
            TEL1.RING: "2"
            PROFILE.MODEL: KORVAN-TA
rc:
  description: korvanta-cli's exit status.
  returned: always
  type: int
  sample: 0
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.korvanta.adapter.plugins.module_utils import korvanta_cli


def facts(document, whole):
    """ansible_facts.korvanta from korvanta-cli's get; with the whole adapter
    read, raw holds a whole profile, [PROFILE] included."""
    found = dict((key, document.get(key)) for key in ('port', 'model', 'firmware'))
    settings = [item for item in document.get('settings') or [] if isinstance(item, dict)]
    found['settings'] = dict((u'%s.%s' % (item.get('section'), item.get('key')), item) for item in settings)
    found['raw'] = dict((name, item.get('value')) for name, item in found['settings'].items())
    if whole:
        found['raw'].update({u'PROFILE.MODEL': found['model'], u'PROFILE.FIRMWARE': found['firmware']})
    return found


def main():
    argument_spec = dict(gather_subset=dict(type='list', elements='str', default=['all']))
    argument_spec.update(korvanta_cli.ARGUMENT_SPEC)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    subset = [name for name in module.params['gather_subset'] if name.lower() != 'all']
    whole = len(subset) < len(module.params['gather_subset']) or not subset
    run = korvanta_cli.run(module, ['get'] + ([] if whole else subset))
    document = korvanta_cli.document_of(run, dict)
    if run.rc != korvanta_cli.DONE or document is None:
        module.fail_json(changed=False, **run.failure())
    module.exit_json(changed=False, rc=run.rc, ansible_facts=dict(korvanta=facts(document, whole)))


if __name__ == '__main__':
    main()
