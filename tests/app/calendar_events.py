#!/usr/bin/env python3
"""Reads an iCalendar file with Python's icalendar, a reader apart from the
program's, and prints one line per event: UID|SUMMARY|first date|last date.
Exits 1 when a line does not end in CRLF or is longer than 75 octets."""
import sys
from datetime import timedelta

import icalendar

data = open(sys.argv[1], "rb").read()
for number, line in enumerate(data.split(b"\r\n")[:-1], 1):
    if b"\n" in line or len(line) > 75:
        sys.exit(f"line {number} is not folded or not ended by CRLF: {line!r}")
if not data.endswith(b"\r\n"):
    sys.exit("the last line does not end in CRLF")
calendar = icalendar.Calendar.from_ical(data)
for required in ("VERSION", "PRODID"):
    if required not in calendar:
        sys.exit(f"the calendar has no {required}")
for event in calendar.walk("VEVENT"):
    if "DTSTAMP" not in event:
        sys.exit(f"{event['UID']} has no DTSTAMP")
    first = event.decoded("DTSTART")
    last = event.decoded("DTEND") - timedelta(days=1)  # DTEND is excluded
    print(f"{event['UID']}|{event['SUMMARY']}|{first.isoformat()}|{last.isoformat()}")
