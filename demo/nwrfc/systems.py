#!/usr/bin/env python3
"""Writes the fake SAP systems of the NetWeaver RFC demo into a folder: one
scenario script of the fake SDK per host (tests/fakesdk/README.md).

  sapold01.nwrfc  OLD, release 6.40: the classic workload module
  sapnew01.nwrfc  NEW, release 7.50: only the 7.00+ collector
                  (SWNC_COLLECTOR_GET_AGGREGATES, raw task-type codes,
                  times in microseconds)

The day's counters grow with the time of day, so each run of the demo sees
more steps than the one before and the sensor reports the interval since.
"""
import os
import sys
import time

now = time.localtime()
seconds = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec + 1

# type, collector code, steps per hour, and per step: db accesses, response,
# cpu, db time, roll, gui (ms)
PROFILES = [
    ("DIALOG ", "01", 5400, 38, 640, 120, 210, 3, 95),
    ("BCKGRD ", "04", 220, 2900, 18500, 6100, 9300, 0, 0),
    ("UPDATE ", "02", 900, 22, 75, 14, 40, 0, 0),
    ("SPOOL  ", "03", 140, 9, 310, 30, 45, 1, 0),
    ("HTTP   ", "65", 2600, 11, 180, 55, 60, 2, 0),
    ("RFC    ", "FE", 1700, 15, 260, 70, 90, 2, 0),
]


def rows(scale, collector):
    out = []
    for task, code, per_hour, dbacc, resp, cpu, db, roll, gui in PROFILES:
        n = per_hour * seconds * scale // 3600
        if collector:
            # The collector's times in microseconds; the bridge asks for
            # milliseconds (FACTOR 1000) and maps the rows into the classic ones.
            out.append("aggregate = day=today TASKTYPE=%s COUNT=%d READDIRCNT=%d RESPTI=%d CPUTI=%d "
                       "READDIRTI=%d ROLLWAITTI=%d GUITIME=%d"
                       % (code, n, n * dbacc, 1000 * n * resp, 1000 * n * cpu, 1000 * n * db,
                          1000 * n * roll, 1000 * n * gui))
        else:
            out.append('summary = day=today TASKTYPE="%s" COUNT=%d DBACTIVCNT=%d RESPTI=%d CPUTI=%d '
                       "READDIRTI=%d ROLLTI=%d GUITIME=%d"
                       % (task, n, n * dbacc, n * resp, n * cpu, n * db, n * roll, n * gui))
    return out


def script(name, host, sysnr, release, scale, collector, note):
    return [
        "# %s" % note,
        "# Written by demo/nwrfc/systems.py for the fake NetWeaver RFC SDK.",
        "sysnr    = %s" % sysnr,
        "client   = 100",
        "user     = MONITOR",
        "passwd   = Demo2026!",
        "sysid    = %s" % name,
        "release  = %s" % release,
        "instance = %s_%s_%s" % (host, name, sysnr),
        "lastcollwrt = now",
        "cpu = TYPE=1 NBR_CPU=8 LOAD1_AVG=120 LOAD5_AVG=110 LOAD15_AVG=95 USR_TOTAL=23000 "
        "SYS_TOTAL=4000 IDLE_TOTAL=73000",
        *rows(scale, collector),
    ]


folder = sys.argv[1] if len(sys.argv) > 1 else "."
for host, lines in (
        ("sapold01", script("OLD", "sapold01", "00", "640", 2, False,
                            "OLD: an SAP 6.40 system, read with SAPWL_WORKLOAD_GET_SUMMARY")),
        ("sapnew01", script("NEW", "sapnew01", "10", "750", 3, True,
                            "NEW: an SAP 7.50 system, read with SWNC_COLLECTOR_GET_AGGREGATES"))):
    with open(os.path.join(folder, host + ".nwrfc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
