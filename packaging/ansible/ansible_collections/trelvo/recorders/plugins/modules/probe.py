#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright Trelvo developers. Proprietary, see LICENSE.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: probe
short_description: Ask a VDX recorder its version and check the password
version_added: "1.1.2"
description:
  - Runs C(trelvo-cli probe) for one VDX recorder. It asks the recorder for
    its software version and checks it against the version gate of an update
    (recorders before 2.0.60 are refused). Given a password it also logs in,
    which checks the password. No file is sent; nothing on the recorder
    changes.
  - The module fails when the recorder cannot be reached, its version is
    refused or the password is not accepted.
  - The password reaches trelvo-cli on its standard input only, never in its
    argument list, its environment or a file.
author:
  - Trelvo developers
requirements:
  - trelvo-cli 1.1.2 or later on the machine that runs the task (Debian package C(trelvo))
options:
  password:
    description:
      - The recorder's administrator password, one line; given, the probe
        checks it.
      - Handed to trelvo-cli on its standard input. It is never shown, also
        not with C(-vvv).
      - When left out, trelvo-cli takes the environment variable
        C(TRELVO_PASSWORD) of the task, and without that checks the version
        alone (I(access) is then null).
    type: str
extends_documentation_fragment:
  - trelvo.recorders.recorder
attributes:
  check_mode:
    description: The probe changes nothing and runs in check mode as well.
    support: full
  diff_mode:
    description: No diff.
    support: none
seealso:
  - module: trelvo.recorders.update
'''

EXAMPLES = r'''
- name: Which version does each recorder run, and does the password work?
  trelvo.recorders.probe:
    host: "{{ ansible_host | default(inventory_hostname) }}"
    password: "{{ recorder_password }}"
    timeout: 10
  delegate_to: localhost
  register: probe

- name: Show it
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }} runs {{ probe.version }}"

- name: Version only, over a serial line
  trelvo.recorders.probe:
    serial: /dev/ttyUSB0
'''

RETURN = r'''
msg:
  description: trelvo-cli's message for the recorder, or its error when it could not start.
  returned: always
  type: str
  sample: Check passed
outcome:
  description: How the probe ended - probed, connect-failed, version-refused, access-denied, timed-out, connection-lost, ...
  returned: when trelvo-cli reported the recorder
  type: str
  sample: probed
version:
  description: >-
    The software version the recorder reported (on a serial line its version
    number); null when it never told.
  returned: when trelvo-cli reported the recorder
  type: str
  sample: "2.0.60"
accepted:
  description: Whether the version passes the version gate; null when the recorder never told.
  returned: when trelvo-cli reported the recorder
  type: bool
  sample: true
access:
  description: Whether the password was accepted; null when no password was checked.
  returned: when trelvo-cli reported the recorder
  type: bool
  sample: true
seconds:
  description: How long the probe took.
  returned: when trelvo-cli reported the recorder
  type: float
  sample: 0.05
rc:
  description: trelvo-cli's exit status - 0 passed, 1 failed, 2 a problem found before any connection.
  returned: when trelvo-cli ran
  type: int
  sample: 0
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.trelvo.recorders.plugins.module_utils.trelvo_cli import (
    RECORDER_ARGUMENT_RULES,
    RECORDER_ARGUMENT_SPEC,
    failure_message,
    run_cli,
)


def main():
    module = AnsibleModule(argument_spec=dict(RECORDER_ARGUMENT_SPEC), supports_check_mode=True,
                           **RECORDER_ARGUMENT_RULES)
    rc, result, stderr = run_cli(module, 'probe', [])
    if result is None:
        module.fail_json(msg=failure_message(rc, result, stderr), rc=rc)
    answer = dict(
        changed=False,
        rc=rc,
        outcome=result.get('outcome'),
        version=result.get('version'),
        accepted=result.get('accepted'),
        access=result.get('access'),
        seconds=result.get('seconds'),
    )
    if rc != 0 or not result.get('ok'):
        module.fail_json(msg=failure_message(rc, result, stderr), **answer)
    module.exit_json(msg=result.get('message'), **answer)


if __name__ == '__main__':
    main()
