#!/usr/bin/env python3
"""Turns captured calculator sessions (the group_X.txt transcripts of
hp48-reference/ or hp49-reference/) into a C++ table of steps for
tests/sim/captured_replay_test.cpp.
Usage: make_captured_sessions.py MODEL CAPTURE_DIR GROUP... > file.inc
  captured_sessions_48gx.inc: HP48GX hp48-reference group_A.txt ... group_F.txt
  captured_sessions_49g.inc:  HP49G hp49-reference group_A.txt ... group_F.txt group_X_xmodem.txt
  captured_ports_48gx.inc:    HP48GX hp48-reference group_H_ports.txt
  captured_ports_49g.inc:     HP49G hp49-reference group_H_ports.txt
       make_captured_sessions.py --bytes FILE... > captured_libraries.inc
  captured_libraries.inc:     the library objects of both references, as {name, bytes}

Each step is {kind, argument, content, expected, item}:
  'r'  a fresh memory (argument 'card': with a RAM card in port 1)
  'C'  a command line; expected is the reply text
  'c'  a command line the calculator did not answer (RESTORE)
  'G'  G D (expected: the listing) or G F (leaving the server)
  'R'  a recall; expected is the file or "E:" and the E-packet text
  'S'  an upload of content; expected is the stored name or "E:" and the E text
  'K'  a line typed at the keyboard and ENTER (EVAL: the EVAL key; ON+C: a warm
       start; ON: the ON key alone); content is what the PC sent by XModem
       meanwhile
Steps of an item the capture shows no answer to are left out."""
import ast
import re
import sys

ITEM = re.compile(r'### (.*)$')
REQUEST = re.compile(r"\s+request: ([CRG]) (b.*?)   \(packet")
UPLOAD_48 = re.compile(r"\s+upload name (b'.*?'|b\".*?\"), \d+ content bytes: (b.*)$")
REPLIES_48 = re.compile(r"\s+replies: Y0 b'.*?', Y1 (b'.*?'|b\".*?\"),(.*)$")
UPLOAD_49 = re.compile(r"\s+upload: name ('.*?'|\".*?\"), (\d+) bytes (b.*), our S (b'.*?'|b\".*?\")$")
PACKET_49 = re.compile(r"\s+type=([A-Z]) seq=(\d+) ok=\w+ raw=.* data=(b.*)$")
E_TEXT_48 = re.compile(r"\s+E PACKET TEXT: \[(b.*)\]$")
E_TEXT_49 = re.compile(r"\s+E packet text: (b.*)$")
REPLY = re.compile(r"\s+reply text \(\d+ bytes\): (b.*)$")
SENT = re.compile(r"\s+[\d.]+ ->\s+(b.*)$")
BLOCK = re.compile(r"\s+[\d.]+ -> block \d+ \(\w+\) (b.*)$")
TYPED = re.compile(r".* type (\S+) \+ ENTER")
KEYS = re.compile(r"\s+keyboard: (ON and C pressed together|ON alone)")
RUN_HEADER = re.compile(r"# HP4\w+ ROM ")


def cstr(b):
    out = '"'
    for x in b:
        if x in (0x22, 0x5c):
            out += '\\' + chr(x)
        elif 32 <= x < 127:
            out += chr(x)
        else:
            out += '\\x%02x""' % x
    return 'std::string(' + out + '", %d)' % len(b)


def kermit_data(packet):
    """The data field of a Kermit packet we sent (block check type 1),
    with the # control prefix undone."""
    length = packet[1] - 32
    field = packet[4:4 + length - 3]
    out, i = bytearray(), 0
    while i < len(field):
        c = field[i]
        if c == ord('#') and i + 1 < len(field):
            n = field[i + 1]
            out.append(n if n in (ord('#'), ord('&')) else n ^ 0x40)
            i += 2
        else:
            out.append(c)
            i += 1
    return chr(packet[3]), bytes(out)


class Item:
    def __init__(self, title):
        self.title = title
        self.request = None      # (kind, argument, content)
        self.expected = None
        self.replies = []        # (type, seq, data) of the calculator's packets (49 uploads)
        self.sent = []           # raw packets we sent
        self.blocks = b''
        self.accepted = False
        self.size = 0            # the upload's size as the transcript states it
        self.keys = None         # keys pressed on the calculator

    def steps(self):
        title = self.title.encode('latin1')
        typed = TYPED.match(self.title)
        if typed:
            yield ('K', typed.group(1).encode(), self.blocks, b'', title)
            return
        if self.keys:
            yield ('K', self.keys, b'', b'', title)
            return
        if self.request is None and self.accepted:
            self.probe_upload()
        if self.request is None:
            return
        kind, arg, content = self.request
        if kind == 'G' and arg == b'F':
            yield ('G', arg, b'', b'', title)
            return
        if kind == 'S':
            if len(content) < self.size:  # the transcript shows the start: take our D packets
                content = b''.join(f for t, f in map(kermit_data, self.sent) if t == 'D')
            expected = self.expected
            for t, seq, data in self.replies:
                if t == 'Y' and seq == 1 and expected is None:
                    expected = data
                if t == 'E':
                    expected = b'E:' + data
            if expected is not None:
                yield ('S', arg, content, expected, title)
            return
        if self.expected is None:
            if kind == 'C':
                yield ('c', arg, b'', b'', title)
            return
        yield (kind, arg, content, self.expected, title)

    def probe_upload(self):
        """A probe that sent its own F and D packets (LEN and raw-byte probes):
        the upload it amounts to, stored under the name the calculator gave."""
        name, data = None, b''
        for p in self.sent:
            if len(p) < 5 or p[0] != 1:
                continue
            t, field = kermit_data(p)
            if t == 'F':
                name = field
            elif t == 'D':
                data += field
        stored = [d for t, s, d in self.replies if t == 'Y' and s == 1]
        if name is not None:
            self.request = ('S', name, data)
            self.expected = stored[0] if stored else name


def steps(path):
    item = None
    new_run = False  # a transcript run of its own starts on a fresh memory
    for line in open(path, encoding='latin1'):
        line = line.rstrip('\n')
        if line.startswith('#' * 32 + ' TRANSCRIPTS'):
            if item:
                yield from item.steps()
            item, new_run = None, True
            continue
        if new_run and RUN_HEADER.match(line):
            new_run = False
            yield ('r', b'card' if 'RAM card' in line else b'', b'', b'', b'fresh memory')
            continue
        m = ITEM.match(line)
        if line.startswith('======== fresh') or m:
            if item:
                yield from item.steps()
            item = None
            if line.startswith('======== fresh'):
                yield ('r', b'', b'', b'', b'fresh memory')
            else:
                item = Item(m.group(1))
            continue
        if item is None:
            continue
        if m := KEYS.match(line):
            item.keys = b'ON+C' if 'C pressed' in m.group(1) else b'ON'
        elif m := REQUEST.match(line):
            item.request = (m.group(1), ast.literal_eval(m.group(2)), b'')
        elif m := UPLOAD_48.match(line):
            item.request = ('S', ast.literal_eval(m.group(1)), ast.literal_eval(m.group(2)))
        elif m := REPLIES_48.match(line):
            e = re.search(r"E\d+ (b'.*?'|b\".*?\")", m.group(2))
            item.expected = b'E:' + ast.literal_eval(e.group(1)) if e else ast.literal_eval(m.group(1))
        elif m := UPLOAD_49.match(line):
            name = ast.literal_eval(m.group(1)).encode('latin1')
            item.request = ('S', name, ast.literal_eval(m.group(3)))
            item.size = int(m.group(2))
        elif m := PACKET_49.match(line):
            item.replies.append((m.group(1), int(m.group(2)), ast.literal_eval(m.group(3))))
        elif m := E_TEXT_48.match(line) or E_TEXT_49.match(line):
            if item.request and item.request[0] != 'S':
                item.expected = b'E:' + ast.literal_eval(m.group(1))
        elif m := REPLY.match(line):
            if item.expected is None:
                item.expected = ast.literal_eval(m.group(1))
        elif m := BLOCK.match(line):
            block = ast.literal_eval(m.group(1))
            item.blocks += block[3:3 + (1024 if block[0] == 2 else 128)]
        elif m := SENT.match(line):
            packet = ast.literal_eval(m.group(1))
            if packet[:1] == b'\x01':
                item.sent.append(packet)
        elif 'RESULT: accepted' in line or 'RESULT: ACK' in line:
            item.accepted = True
    if item:
        yield from item.steps()


if sys.argv[1] == '--bytes':
    print('// Generated by make_captured_sessions.py from the references\' files.')
    for path in sys.argv[2:]:
        name = '/'.join(path.split('/')[-2:])
        print('{%s, %s},' % (cstr(name.encode()), cstr(open(path, 'rb').read())))
    sys.exit(0)

model = sys.argv[1]
print('// Generated by make_captured_sessions.py from real %s captures.' % model)
for g in sys.argv[3:]:
    print('// %s' % g)
    for kind, a, b, exp, title in steps(sys.argv[2] + '/' + g):
        print("{'%s', %s, %s, %s, %s}," % (kind, cstr(a), cstr(b), cstr(exp), cstr(title)))
