#!/usr/bin/python3
# Reads an exported iCalendar file with an independent parser (Debian's
# python3-icalendar) and checks that every non-empty text of the almanac it
# was exported from falls on its day in YEAR and YEAR + 1, and that the
# file's lines are folded and ended as RFC 5545 says.
#   check_ics.py FILE.ics ALMANAC.mdb YEAR
import datetime
import sqlite3
import sys

from dateutil.rrule import rrulestr
from icalendar import Calendar

path, almanac, year = sys.argv[1], sys.argv[2], int(sys.argv[3])
raw = open(path, 'rb').read()
lines = raw.split(b'\r\n')
assert lines[-1] == b'', 'the file does not end with CRLF'
for line in lines[:-1]:
    assert len(line) <= 75, 'line longer than 75 octets: %r' % line[:80]
    assert b'\n' not in line and b'\r' not in line, 'bare line end: %r' % line[:80]
    line.decode('utf-8')  # a fold never splits a character

cal = Calendar.from_ical(raw)
assert str(cal.get('VERSION')) == '2.0'
assert cal.get('PRODID')
found = {}
for event in cal.walk('VEVENT'):
    start = event.decoded('DTSTART')
    assert isinstance(start, datetime.date) and not isinstance(start, datetime.datetime)
    rule = rrulestr(event.get('RRULE').to_ical().decode(),
                    dtstart=datetime.datetime.combine(start, datetime.time()))
    for y in (year, year + 1):
        for when in rule.between(datetime.datetime(y, 1, 1), datetime.datetime(y, 12, 31), inc=True):
            found.setdefault((when.year, when.month, when.day), []).append(str(event.get('SUMMARY')))

problems = []
wanted = 0
expected = []
for key, *texts in sqlite3.connect(almanac).execute('SELECT Date, Evenement1, Evenement2 FROM Evenements'):
    day, month = int(key[:2]), int(key[3:5])
    # python3-icalendar 4.0.3 unescapes "\\n" (a backslash, then n) as a
    # line end: expect what it reads.
    expected += [(month, day, t.replace('\r\n', '\n').replace('\\n', '\n')) for t in texts if t]
for month, day, text in expected:
    for y in (year, year + 1):
        try:
            datetime.date(y, month, day)
        except ValueError:
            continue  # 29/02 in a common year
        wanted += 1
        if text not in found.get((y, month, day), []):
            problems.append('missing on %d-%02d-%02d: %r' % (y, month, day, text[:40]))
occurrences = sum(len(v) for v in found.values())
if occurrences != wanted:
    problems.append('%d occurrences instead of %d' % (occurrences, wanted))
if problems:
    print('\n'.join(problems[:20]))
    sys.exit(1)
print('ok: %d occurrences' % occurrences)
