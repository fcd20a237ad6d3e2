#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz corpora (run once; the files are committed)."""
import plistlib, struct, os

HERE = os.path.dirname(os.path.abspath(__file__))

def put(target, name, data):
    with open(os.path.join(HERE, 'corpus', target, name), 'wb') as f:
        f.write(data)

def nested_binary(depth):
    """A binary property list of `depth` arrays, each holding the next."""
    objects = []
    for i in range(depth):
        objects.append(b'\xa1' + struct.pack('>H', i + 1) if i + 1 < depth else b'\xa0')
    body = b'bplist00'
    offsets = []
    for o in objects:
        offsets.append(len(body)); body += o
    table = len(body)
    body += b''.join(struct.pack('>H', o) for o in offsets)
    body += bytes(6) + bytes([2, 2]) + struct.pack('>QQQ', len(objects), 0, table)
    return body

def shared_binary(levels):
    """Each array holds the next twice: a few bytes that expand to 2^levels nodes."""
    objects = [bytes([0xA2, i + 1, i + 1]) for i in range(levels)] + [bytes([0x10, 7])]
    body = b'bplist00'; offsets = []
    for o in objects:
        offsets.append(len(body)); body += o
    table = len(body)
    body += bytes(offsets)
    body += bytes(6) + bytes([1, 1]) + struct.pack('>QQQ', len(objects), 0, table)
    return body

stats = {'loadCycles': 12.5, 'raisingSum': 0.8, 'fallingSum': 1.2,
         'raisingSecs': 3600.0, 'fallingSecs': 7200.0}
put('statistics_file', 'xml.plist', plistlib.dumps(stats))
put('statistics_file', 'binary.plist', plistlib.dumps(stats, fmt=plistlib.FMT_BINARY))
put('statistics_file', 'wrong-types.plist', plistlib.dumps({k: str(v) for k, v in stats.items()}))
put('statistics_file', 'integers.plist', plistlib.dumps({k: int(v) for k, v in stats.items()}))
put('statistics_file', 'deep.bplist', nested_binary(3000))
put('statistics_file', 'deep.xml', b'<plist>' + b'<array>' * 3000 + b'</array>' * 3000 + b'</plist>')
put('statistics_file', 'empty', b'')

block = {'identifier': 'B5C2F2E0-1D7C-4C3E-9F0A-2B4E6C8D0A1F', 'dataSize': 512,
         'creationDate': 1.7e9}
index = {'index': {'1234567890': [block, dict(block, identifier='other')]},
         'AnalyticsSentReportSuccessfulKey': True}
put('analytics_archive', 'index.bplist', plistlib.dumps(index, fmt=plistlib.FMT_BINARY))
event = {'name': 'Battery low', 'started': 1.7e9, 'ended': 1.7e9 + 5, 'timed': True,
         'parameters': {'level': '5%'}}
session = {'serializationVersion': 2, 'startTime': 1.7e9, 'endTime': 1.7e9 + 60,
           'pauseIntervalMillis': 0, 'sessionParams': {'k': 'v'}, 'eventCounts': {'Battery low': 1},
           'pendingEventLog': [event], 'eventLog': [event], 'eventLogComplete': True,
           'errors': [{'errorID': 'x', 'message': 'm', 'date': 1.7e9}], 'totalErrorCount': 1,
           'purchaseItems': [], 'latitude': 0.0, 'longitude': 0.0, 'accuracy': 0.0,
           'crashed': False, 'apiKey': 'KEY', 'appVersion': '1.0', 'userID': '',
           'pageViewCount': 3, 'locale': 'en_US', 'timeZone': 'UTC', 'gender': '', 'pushToken': ''}
put('analytics_archive', 'session.bplist', plistlib.dumps(session, fmt=plistlib.FMT_BINARY))
put('analytics_archive', 'sessions.bplist',
    plistlib.dumps({'sessions': [plistlib.dumps(session, fmt=plistlib.FMT_BINARY)]},
                   fmt=plistlib.FMT_BINARY))
put('analytics_archive', 'deep.bplist', nested_binary(3000))
put('analytics_archive', 'shared.bplist', shared_binary(40))
put('analytics_archive', 'session.xml', plistlib.dumps(session))

def battery(*values):
    return b'\0'.join(v.encode() for v in values)

put('sysfs_values', 'charging', battery('Battery', 'Charging', '57', '2500000', '4400000',
                                         '5000000', '', '', '', '12100000', '11400000',
                                         '1500000', '', '312', '295'))
put('sysfs_values', 'energy', battery('Battery', 'Discharging', '80', '', '', '', '40000000',
                                       '50000000', '57000000', '12000000', '11400000', '',
                                       '9000000', '0', '310'))
put('sysfs_values', 'impossible', battery('Battery', 'Full', '255', '-3000000', '0',
                                           '9223372036854775807', '', '', '', '-1', '0',
                                           '9223372036854775808', 'abc', '-5', '99999'))
