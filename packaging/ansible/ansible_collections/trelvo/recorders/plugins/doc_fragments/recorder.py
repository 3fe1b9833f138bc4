# -*- coding: utf-8 -*-
# How both modules reach one recorder through trelvo-cli.

from __future__ import annotations


class ModuleDocFragment:
    DOCUMENTATION = r'''
options:
  host:
    description:
      - Host name or IPv4 address of the recorder.
      - Exactly one of I(host) and I(serial) is required.
    type: str
  port:
    description:
      - TCP port of the recorder.
    type: int
    default: 30000
  serial:
    description:
      - Reach the recorder over a serial line instead of the network, C(COM1),
        C(COM2) or a device path such as C(/dev/ttyUSB0).
      - Exactly one of I(host) and I(serial) is required.
    type: str
  baud:
    description:
      - Serial rate; only with I(serial). trelvo-cli's default is 115200.
    type: int
  timeout:
    description:
      - Give up on a recorder when a connection or a reply has not come
        this many seconds after trelvo-cli began to wait for it (in the
        transfer, after the last block the recorder took). Bytes that never
        make a reply do not put this off. Fractions are allowed; 0 waits
        for ever, as the window does.
      - Left out, trelvo-cli's default of 30 seconds applies.
    type: float
  cli:
    description:
      - Path of trelvo-cli. Left out, C(trelvo-cli) is looked up on the
        C(PATH) of the machine that runs the task.
    type: path
'''
