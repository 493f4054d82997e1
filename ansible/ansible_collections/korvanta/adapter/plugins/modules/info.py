#!/usr/bin/python
# SPDX-License-Identifier: GPL-3.0-or-later
# -*- coding: utf-8 -*-
# Copyright: The KORVAN-TA settings utility developers
# GNU General Public License v3.0+ (see https://www.gnu.org/licenses/gpl-3.0.txt)
# SPDX-License-Identifier: GPL-3.0-or-later

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
module: info
short_description: The serial ports of a host, and the KORVAN-TA adapter on one of them
description:
  - Lists the serial devices of the host where the module runs, and the
    ports named in its C(ports.conf), as C(korvanta-cli ports) does.
  - With I(port), also asks the adapter there who it is (C(korvanta-cli
    identify)) and returns its model and firmware. Only queries reach the
    adapter.
  - Register the result to use it in later tasks, or keep it with
    M(ansible.builtin.set_fact).
version_added: 1.0.0
author:
  - The KORVAN-TA settings utility developers (!UNKNOWN)
extends_documentation_fragment:
  - korvanta.adapter.cli
options:
  port:
    description:
      - The adapter to identify, in any form C(korvanta-cli --port) takes
        (see M(korvanta.adapter.settings) for them all).
      - Without it, only the host's ports are listed.
    type: str
    required: false
attributes:
  check_mode:
    support: full
    description: It only reads; it runs the same in check mode.
  diff_mode:
    support: none
    description: It changes nothing, so there is nothing to show.
seealso:
  - module: korvanta.adapter.profile
  - module: korvanta.adapter.backup
'''

EXAMPLES = r'''
- name: The serial devices of the host
  korvanta.adapter.info:
  register: found

- name: Their stable names
  ansible.builtin.debug:
    msg: "{{ found.ports | map(attribute='by_id') | select | list }}"

- name: Which adapter and firmware are on the USB cable
  korvanta.adapter.info:
    port: /dev/ttyUSB0
  register: adapter

- name: Older firmware lacks some settings
  ansible.builtin.debug:
    msg: "{{ adapter.model }} {{ adapter.firmware }}"
'''

RETURN = r'''
ports:
  description:
    - The serial devices found on the host (pseudo-terminals are not
      listed), then the ports its C(ports.conf) names. Nothing connects to a
      network port to list it.
    - Other keys korvanta-cli adds are returned as they are.
  returned: success
  type: list
  elements: dict
  contains:
    kind:
      description: C(serial) for a device, C(network) for a network address.
      type: str
      sample: serial
    name:
      description: The port's name in C(ports.conf), which I(port) takes; null for a device found.
      type: str
      sample: lab-1
    path:
      description: The device, or the network address.
      type: str
      sample: /dev/ttyUSB0
    by_id:
      description: Its stable name under /dev/serial/by-id/; null when it has none.
      type: str
      sample: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0
    description:
      description: What the device says it is; null when unknown.
      type: str
      sample: FT232R USB UART
    manufacturer:
      description: Its maker; null when unknown.
      type: str
      sample: FTDI
    access:
      description: Whether the user the module runs as may open it, as korvanta-cli says it; null for a network port.
      type: str
      sample: "yes"
port:
  description: The adapter's port, by its /dev/serial/by-id/ name where it has one.
  returned: when I(port) is given
  type: str
  sample: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0
model:
  description: The adapter's model, as it answers ATI.
  returned: when I(port) is given
  type: str
  sample: KORVAN-TA
firmware:
  description: The adapter's firmware, as it answers AT%I2.
  returned: when I(port) is given
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


def main():
    argument_spec = dict(korvanta_cli.ARGUMENT_SPEC, port=dict(type='str'))
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    result = dict(changed=False, rc=korvanta_cli.DONE)
    listed = korvanta_cli.run(module, ['ports'])
    ports = korvanta_cli.document_of(listed, list)
    if listed.rc != korvanta_cli.DONE or ports is None:
        result.update(listed.failure())
        module.fail_json(**result)
    result['ports'] = ports
    if module.params['port']:
        identified = korvanta_cli.run(module, ['identify'])
        adapter = korvanta_cli.document_of(identified, dict)
        if identified.rc != korvanta_cli.DONE or adapter is None:
            result.update(identified.failure())
            module.fail_json(**result)
        result.update(adapter)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
