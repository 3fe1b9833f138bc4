#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright Trelvo developers. Proprietary, see LICENSE.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: update
short_description: Install an update file on a VDX recorder
version_added: "1.1.2"
description:
  - Installs an update file on one VDX recorder with C(trelvo-cli update), the
    engine of the Trelvo window. The recorder is asked for its software
    version (recorders before 2.0.60 are refused), logged in to with the
    administrator password, sent the file in paced blocks and told to carry
    out the update with the update code.
  - The module runs where the task runs. With C(ansible_connection=local) for
    the recorders, or with C(delegate_to) a jump host, that is a machine with
    trelvo-cli installed; the recorders themselves run no Python.
  - The password reaches trelvo-cli on its standard input only, never in its
    argument list, its environment or a file.
  - A recorder that reports a version listed in I(skip_version) is left alone
    and reported unchanged.
  - With I(sha256) the update file must have that SHA-256, else nothing is
    sent. With I(expect_version) the update counts only once the recorder,
    asked its version again after it reported success, reports that version.
  - In check mode the module runs C(trelvo-cli probe) instead and sends no
    file. It reports changed when the update would run, that is when the
    recorder's version is accepted, the password (if given) is accepted and
    the version is not in I(skip_version); it fails when the recorder refuses
    either. The update file is checked locally, its I(sha256) too;
    I(expect_version) is not checked, as nothing is installed.
author:
  - Trelvo developers
requirements:
  - trelvo-cli 1.1.2 or later on the machine that runs the task (Debian package C(trelvo))
options:
  file:
    description:
      - The update file. It reaches the recorder as C(/tmp/NAME), NAME being
        its own name without its folder.
      - It must be a regular file, not empty and smaller than 4 GiB.
    type: path
    required: true
  code:
    description:
      - The update code that comes with the update. Empty when left out.
    type: str
  password:
    description:
      - The recorder's administrator password, one line.
      - Handed to trelvo-cli on its standard input. It is never shown, also
        not with C(-vvv).
      - When left out, trelvo-cli takes the environment variable
        C(TRELVO_PASSWORD) of the task (see the C(environment) keyword), and
        without that the update fails with "no password"; in check mode the
        version alone is checked then.
    type: str
  result_timeout:
    description:
      - Give up on the recorder's result after this many seconds while it
        carries out the update (after the file has been sent). Fractions
        are allowed; 0 waits for ever.
      - Left out, trelvo-cli's default of 1800 seconds applies.
    type: float
  retries:
    description:
      - Try the recorder up to this many more times, after 1, 2, 4 ...
        seconds (at most 30), when it could not be reached, did not answer
        or hung up before the update was requested. Never once the recorder
        may be carrying out the update, nor after a refused version or
        password.
    type: int
    default: 0
  sha256:
    description:
      - The SHA-256 the update file must have, 64 hexadecimal digits (either
        case), as published with the update.
      - trelvo-cli compares it before any connection and sends nothing when
        the file has another digest; the task then fails with rc 2 and a
        message naming both digests.
    type: str
  expect_version:
    description:
      - The version the recorder is to report once the update has taken,
        usually the one the update installs (on a serial line, its version
        number).
      - After the recorder reports success, trelvo-cli asks it its version
        again, at once and then every 5 seconds (the recorder may be
        restarting and refuse or drop connections meanwhile), until it
        reports this version (outcome C(verified)) or I(verify_timeout) has
        passed (outcome C(not-verified), a failure, with the version it
        last reported in I(version_after_update)).
    type: str
  verify_timeout:
    description:
      - With I(expect_version), how many seconds to wait for the recorder to
        report it. Fractions are allowed; 0 waits for ever.
      - Left out, trelvo-cli's default of 600 seconds applies.
    type: float
  skip_version:
    description:
      - Leave alone a recorder that reports exactly one of these versions (on
        a serial line, its version number). Usually the version the update
        installs, so that a second run changes nothing.
    type: list
    elements: str
    default: []
extends_documentation_fragment:
  - trelvo.recorders.recorder
attributes:
  check_mode:
    description: Runs C(trelvo-cli probe) and sends no file.
    support: full
  diff_mode:
    description: No diff.
    support: none
notes:
  - The module's messages are trelvo-cli's, in German when the task's
    C(LC_ALL), C(LC_MESSAGES) or C(LANG) says German and in English
    otherwise; I(outcome) is the same in every language.
  - The file goes out in paced blocks, at most one every 50 ms. I(timeout)
    (30 seconds unless set) keeps a recorder that goes silent from holding
    up its batch; a recorder that hangs up ends the task at once with
    outcome C(connection-lost).
seealso:
  - module: trelvo.recorders.probe
'''

EXAMPLES = r'''
- name: Install the update, leaving recorders that already run it alone
  trelvo.recorders.update:
    host: "{{ ansible_host | default(inventory_hostname) }}"
    file: /srv/updates/vdx-2.0.61.sh
    code: "{{ update_code }}"
    password: "{{ recorder_password }}"
    skip_version: ["2.0.61"]
    timeout: 60
    retries: 3
  delegate_to: localhost

- name: Install a published update and wait until the recorder runs it
  trelvo.recorders.update:
    host: rec-17
    file: /srv/updates/vdx-2.0.61.sh
    sha256: d4b3d5361389b0bf3f26c7a9494042e79185486f8f5564c30025f868cd1b5ca4
    password: "{{ recorder_password }}"
    expect_version: "2.0.61"
    verify_timeout: 900

- name: Over a serial line
  trelvo.recorders.update:
    serial: /dev/ttyUSB0
    baud: 57600
    file: /srv/updates/vdx-2.0.61.sh
    code: "4711"
    password: "{{ recorder_password }}"

- name: Would the update run? (nothing is sent)
  trelvo.recorders.update:
    host: rec-17
    file: /srv/updates/vdx-2.0.61.sh
    password: "{{ recorder_password }}"
  check_mode: true
  register: would
'''

RETURN = r'''
msg:
  description:
    - trelvo-cli's message for the recorder, exactly what the Trelvo window
      would show, or its error when it could not start (status 2).
    - In check mode, what the probe found.
  returned: always
  type: str
  sample: Update finished successfully
outcome:
  description:
    - How the update ended, the same in every language - succeeded, skipped,
      file-not-found, file-empty, file-too-large, code-too-long,
      connect-failed, port-unavailable, version-refused, access-denied,
      transfer-failed, refused-by-recorder, timed-out, connection-lost or
      aborted; with I(expect_version), verified or not-verified instead of
      succeeded.
    - In check mode the probe's - probed, connect-failed, version-refused,
      access-denied, timed-out, ... - or skipped when the recorder reports a
      version in I(skip_version).
    - Missing when trelvo-cli stopped before any connection.
  returned: when trelvo-cli reported the recorder
  type: str
  sample: succeeded
version:
  description: The software version the recorder reported (null when it never told).
  returned: when trelvo-cli reported the recorder
  type: str
  sample: "2.0.60"
version_after_update:
  description:
    - With I(expect_version), the version the recorder reported when asked
      again after the update (null when it did not answer, or the update
      did not get that far).
  returned: when trelvo-cli reported the recorder and I(expect_version) was given
  type: str
  sample: "2.0.61"
sha256:
  description:
    - SHA-256 of the update file as trelvo-cli read it, in hex.
    - In check mode computed by the module.
  returned: when trelvo-cli reported the recorder, and in check mode
  type: str
  sample: d4b3d5361389b0bf3f26c7a9494042e79185486f8f5564c30025f868cd1b5ca4
seconds:
  description: How long trelvo-cli worked on the recorder in its last attempt.
  returned: when trelvo-cli reported the recorder
  type: float
  sample: 5.052
attempts:
  description: How many times trelvo-cli tried the recorder (1 without a retry).
  returned: when trelvo-cli reported the recorder
  type: int
  sample: 1
accepted:
  description: Check mode - whether the recorder's version passes the version gate (null when it never told).
  returned: check mode
  type: bool
  sample: true
access:
  description: Check mode - whether the password was accepted (null when no password was checked).
  returned: check mode
  type: bool
  sample: true
rc:
  description: trelvo-cli's exit status - 0 updated or skipped, 1 failed, 2 a problem found before any connection.
  returned: when trelvo-cli update ran, or failed to start
  type: int
  sample: 0
'''

import os
import re

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.trelvo.recorders.plugins.module_utils.trelvo_cli import (
    RECORDER_ARGUMENT_RULES,
    RECORDER_ARGUMENT_SPEC,
    failure_message,
    run_cli,
)

# trelvo-cli refuses files of 4 GiB and more.
MAX_FILE_BYTES = 4 * 1024 * 1024 * 1024

SHA256_HEX = re.compile(r'\A[0-9a-fA-F]{64}\Z')


def file_problem(path):
    """What trelvo-cli would refuse about the update file before any connection, or None."""
    if not os.path.exists(path):
        return '%s: file not found' % path
    if not os.path.isfile(path):
        return '%s: not a regular file' % path
    size = os.path.getsize(path)
    if size == 0:
        return '%s: the file is empty' % path
    if size >= MAX_FILE_BYTES:
        return '%s: the file is too large (4 GiB or more)' % path
    if not os.access(path, os.R_OK):
        return '%s: cannot read the file' % path
    return None


def reported(result):
    """The fields of a result line the module returns."""
    fields = dict(
        outcome=result.get('outcome'),
        version=result.get('version'),
        seconds=result.get('seconds'),
        attempts=result.get('attempts'),
    )
    if 'version_after_update' in result:
        fields['version_after_update'] = result['version_after_update']
    return fields


def check(module):
    """Check mode: probe the recorder and tell whether the update would run."""
    path = module.params['file']
    problem = file_problem(path)
    if problem:
        module.fail_json(msg=problem)
    sha256 = module.digest_from_file(path, 'sha256')
    expected = module.params['sha256']
    # As trelvo-cli update would refuse them, before any connection.
    if expected is not None and not SHA256_HEX.match(expected):
        module.fail_json(msg='sha256: wants 64 hexadecimal digits', sha256=sha256)
    if expected is not None and expected.lower() != sha256:
        module.fail_json(msg='%s: the file\'s SHA-256 is %s, not the expected %s'
                         % (path, sha256, expected.lower()), sha256=sha256)
    skips = ['--skip-version=' + version for version in module.params['skip_version']]
    rc, result, stderr = run_cli(module, 'probe', skips)
    if result is None or rc not in (0, 1):
        module.fail_json(msg=failure_message(rc, result, stderr), rc=rc, sha256=sha256)
    # No rc: Ansible takes a non-zero rc for a failed task, and the probe's
    # status 1 need not mean that the update would fail.
    answer = dict(reported(result), sha256=sha256,
                  accepted=result.get('accepted'), access=result.get('access'))
    # The probe stops at a version to skip exactly where the update would.
    if result.get('outcome') == 'skipped':
        module.exit_json(changed=False,
                         msg='Version %s is in skip_version: the update would leave the recorder alone'
                         % result.get('version'), **answer)
    if rc != 0 or not result.get('ok'):
        module.fail_json(msg=failure_message(rc, result, stderr), **answer)
    if result.get('access') is None:
        message = '%s; the update would run (the password was not checked)' % result.get('message')
    else:
        message = '%s; the update would run' % result.get('message')
    module.exit_json(changed=True, msg=message, **answer)


def update(module):
    params = module.params
    arguments = ['--skip-version=' + version for version in params['skip_version']]
    if params['code'] is not None:
        if '\0' in params['code']:
            module.fail_json(msg='code: must not hold a NUL character')
        arguments.append('--code=' + params['code'])
    if params['result_timeout'] is not None:
        arguments.append('--result-timeout=%s' % repr(params['result_timeout']))
    if params['sha256'] is not None:
        arguments.append('--sha256=' + params['sha256'])
    if params['expect_version'] is not None:
        arguments.append('--expect-version=' + params['expect_version'])
    if params['verify_timeout'] is not None:
        arguments.append('--verify-timeout=%s' % repr(params['verify_timeout']))
    arguments.append('--retries=%d' % params['retries'])
    rc, result, stderr = run_cli(module, 'update', arguments, after_options=[params['file']])
    if result is None or rc != 0 or not result.get('ok'):
        answer = dict(rc=rc)
        if result is not None:
            answer.update(reported(result), sha256=result.get('sha256'))
        module.fail_json(msg=failure_message(rc, result, stderr), **answer)
    module.exit_json(changed=not result.get('skipped'), msg=result.get('message'),
                     sha256=result.get('sha256'), rc=rc, **reported(result))


def main():
    argument_spec = dict(
        RECORDER_ARGUMENT_SPEC,
        file=dict(type='path', required=True),
        code=dict(type='str'),
        result_timeout=dict(type='float'),
        retries=dict(type='int', default=0),
        sha256=dict(type='str'),
        expect_version=dict(type='str'),
        verify_timeout=dict(type='float'),
        skip_version=dict(type='list', elements='str', default=[]),
    )
    rules = dict(RECORDER_ARGUMENT_RULES)
    rules['required_by'] = dict(rules['required_by'], verify_timeout='expect_version')
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True, **rules)
    if module.check_mode:
        check(module)
    else:
        update(module)


if __name__ == '__main__':
    main()
