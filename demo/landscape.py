#!/usr/bin/env python3
"""Writes the demo's simulated landscape (SapLandscape.ini) for today.

The day's counters of an SAP instance only grow, so the figures written here
grow with the time of day: each run of the demo sees more steps than the one
before, and the sensor reports the interval since then.
"""
import sys
import time

now = time.localtime()
seconds = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec + 1

# steps per hour, and per step: db accesses, response, cpu, db, roll, gui (ms)
PROFILES = {
    "DIALOG ": (5400, 38, 640, 120, 210, 3, 95),
    "BCKGRD ": (220, 2900, 18500, 6100, 9300, 0, 0),
    "UPDATE ": (900, 22, 75, 14, 40, 0, 0),
    "SPOOL  ": (140, 9, 310, 30, 45, 1, 0),
    "HTTP   ": (2600, 11, 180, 55, 60, 2, 0),
    "RFC    ": (1700, 15, 260, 70, 90, 2, 0),
    "UPDATE2": (300, 8, 35, 8, 15, 0, 0),
    "ALE": (80, 4, 90, 20, 30, 0, 0),
}


def rows(scale):
    out = []
    for task, (per_hour, dbacc, resp, cpu, db, roll, gui) in PROFILES.items():
        count = per_hour * seconds * scale // 3600
        out.append(
            f'workload = day=today TASKTYPE="{task}" COUNT={count} DBACTIVCNT={count * dbacc} '
            f"RESPTI={count * resp} CPUTI={count * cpu} READDIRTI={count * db // 3} "
            f"READSEQTI={count * db // 3} CHNGTI={count * db // 3} ROLLTI={count * roll} "
            f"GUITIME={count * gui}")
    return out


def system(name, client, password, host, sysnr, release, scale):
    return [
        f"[system {name}]",
        f"client = {client}",
        "user = MONITOR",
        f'password = "{password}"',
        f"host = {host}",
        f"sysnr = {sysnr}",
        f"instance = {host}_{name}_{sysnr}",
        f"release = {release}",
        "lastcollwrt = now",
        "cpu = TYPE=1 NBR_CPU=8 LOAD1_AVG=120 LOAD5_AVG=110 LOAD15_AVG=95 USR_TOTAL=5300 SYS_TOTAL=1200 IDLE_TOTAL=93500",
        *rows(scale),
        "",
    ]


lines = ["# The demo's simulated SAP landscape, written by demo/landscape.py.", ""]
lines += system("PRD", 100, "Prd2026!", "sapprd01", "00", "753", 3)
lines += system("QAS", 200, "Qas2026!", "sapqas01", "10", "740", 1)
# DEV's password was changed in the system but not in its profile: its logon fails.
lines += system("DEV", 300, "Dev2027!", "sapdev01", "20", "750", 1)
sys.stdout.write("\n".join(lines))
