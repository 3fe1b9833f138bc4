# -*- coding: utf-8 -*-
# Copyright Trelvo developers. Proprietary, see LICENSE.
"""Runs trelvo-cli for one recorder and reads its JSON result line.

Shared by the modules trelvo.recorders.update and trelvo.recorders.probe.
The password reaches the tool on its standard input only (--password-file -):
never in its argument list, its environment or a file.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

# The options every module of the collection takes: which recorder, how to
# reach it, the password and the tool.
RECORDER_ARGUMENT_SPEC = dict(
    host=dict(type='str'),
    serial=dict(type='str'),
    baud=dict(type='int'),
    port=dict(type='int', default=30000),
    password=dict(type='str', no_log=True),
    timeout=dict(type='float'),
    cli=dict(type='path'),
)

RECORDER_ARGUMENT_RULES = dict(
    mutually_exclusive=[('host', 'serial')],
    required_one_of=[('host', 'serial')],
    required_by={'baud': 'serial'},
)


def recorder_arguments(params):
    """The tool's options naming the one recorder, how to reach it and how long to wait."""
    if params['serial'] is not None:
        arguments = ['--serial=' + params['serial']]
        if params['baud'] is not None:
            arguments.append('--baud=%d' % params['baud'])
    else:
        arguments = ['--host=' + params['host'], '--port=%d' % params['port']]
    if params['timeout'] is not None:
        arguments.append('--timeout=%s' % repr(params['timeout']))
    return arguments


def result_line(stdout):
    """The last object with "event": "result" in the tool's --json output, or None."""
    result = None
    for line in stdout.splitlines():
        line = line.strip()
        if not line.startswith('{'):
            continue
        try:
            event = json.loads(line)
        except ValueError:
            continue
        if isinstance(event, dict) and event.get('event') == 'result':
            result = event
    return result


def run_cli(module, command, arguments, after_options=None):
    """Runs `trelvo-cli COMMAND --json` for the module's recorder.

    Returns (rc, result, stderr) where result is the parsed result line or
    None. `after_options` goes last, after "--" (the update file).
    """
    params = module.params
    cli = params['cli'] or module.get_bin_path('trelvo-cli', required=True)
    argv = [cli, command, '--json'] + recorder_arguments(params) + list(arguments)
    password = params['password']
    if password is None:
        # Without a password the tool falls back to TRELVO_PASSWORD and then
        # to a prompt on the controlling terminal, which a module run from an
        # interactive ansible-playbook still has. In a session of its own the
        # tool has no terminal: update then reports "no password" and probe
        # checks the version alone.
        setsid = module.get_bin_path('setsid')
        if setsid:
            argv = [setsid, '--wait'] + argv
        if after_options:
            argv += ['--'] + list(after_options)
        rc, stdout, stderr = module.run_command(argv)
    else:
        if '\n' in password or '\r' in password:
            module.fail_json(msg='password: must be a single line')
        if '\0' in password:
            module.fail_json(msg='password: must not hold a NUL character')
        argv.append('--password-file=-')
        if after_options:
            argv += ['--'] + list(after_options)
        # The first line of standard input; run_command neither logs nor
        # returns what it writes there.
        rc, stdout, stderr = module.run_command(argv, data=password + '\n', binary_data=True)
    return rc, result_line(stdout), stderr


def failure_message(rc, result, stderr):
    """What a failed run says: the tool's message, else its standard error."""
    if result is not None and rc in (0, 1):
        message = result.get('message') or ''
        if message:
            return message
        return 'trelvo-cli: %s' % result.get('outcome', 'failed')
    stderr = (stderr or '').strip()
    if stderr:
        return stderr
    if result is None and rc in (0, 1):
        return 'trelvo-cli ended with status %d without a result line' % rc
    return 'trelvo-cli ended with status %d' % rc
