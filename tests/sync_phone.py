#!/usr/bin/python3
"""The tests' "phone": an independent CalDAV client (python3-caldav) that
makes, edits and deletes events between the program's syncs.

  sync_phone.py ROOT mkcal ID           make the calendar ROOT/test/ID/, print its URL
  sync_phone.py CAL list                 one line per event: UID <TAB> SUMMARY (\\n escaped),
                                         then <TAB> DESCRIPTION when there is one
  sync_phone.py CAL set UID TEXT         change an event's SUMMARY (the rest is kept)
  sync_phone.py CAL describe UID TEXT    give an event a DESCRIPTION
  sync_phone.py CAL add UID YYYYMMDD TEXT   a yearly all-day event
  sync_phone.py CAL delete UID
"""
import sys

import caldav

url, command, *args = sys.argv[1:]
client = caldav.DAVClient(url, username="test", password="test")

if command == "mkcal":
    calendar = client.principal().make_calendar(name=args[0], cal_id=args[0])
    print(calendar.url)
    sys.exit(0)

calendar = caldav.Calendar(client=client, url=url)
if command == "list":
    for event in calendar.events():
        for component in event.icalendar_instance.walk("VEVENT"):
            line = "%s\t%s" % (component["UID"], str(component.get("SUMMARY", "")).replace("\n", "\\n"))
            if "DESCRIPTION" in component:
                line += "\t" + str(component["DESCRIPTION"])
            print(line)
elif command in ("set", "describe"):
    event = calendar.event_by_uid(args[0])
    component = next(iter(event.icalendar_instance.walk("VEVENT")))
    component["SUMMARY" if command == "set" else "DESCRIPTION"] = args[1]
    event.save()
elif command == "add":
    calendar.save_event(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//phone//EN\r\nBEGIN:VEVENT\r\n"
        "UID:%s\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:%s\r\nRRULE:FREQ=YEARLY\r\n"
        "SUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n" % (args[0], args[1], args[2]))
elif command == "delete":
    calendar.event_by_uid(args[0]).delete()
else:
    sys.exit("unknown command " + command)
