"""Capture files (docs/capture-format.md) read a second time, independently
of the fake SDK's replay, and the facts the NetWeaver RFC bridge assumes
about a system, checked against what a capture shows (docs/nwrfc.md, "What a
capture settles").

read(data) gives a Capture; contradictions(capture) the list of assumptions
the capture contradicts, each as "<assumption> assumed <what>, capture has
<what it has>" - the message a test fails with.
"""

import re

COLLECTOR = "SWNC_COLLECTOR_GET_AGGREGATES"
CLASSIC = "SAPWL_WORKLOAD_GET_SUMMARY"

_TOKEN = re.compile(r'(?:([^\s="]+)=)?("(?:[^"\\]|\\.)*"|[^\s"]+)(?=\s|$)')


def _unquote(value):
    if not value.startswith('"'):
        return value, False
    out, i, body = [], 0, value[1:-1]
    while i < len(body):
        if body[i] == "\\":
            if body[i + 1] == "u":
                out.append(chr(int(body[i + 2:i + 6], 16)))
                i += 6
                continue
            out.append(body[i + 1])
            i += 2
            continue
        out.append(body[i])
        i += 1
    return "".join(out), True


def tokens(line):
    """[(name or None, value, quoted)] of one line."""
    found, at = [], 0
    line = line.strip()
    while at < len(line):
        if line[at] in " \t":
            at += 1
            continue
        match = _TOKEN.match(line, at)
        if not match:
            raise ValueError("unreadable words: %r" % line[at:])
        value, quoted = _unquote(match.group(2))
        found.append((match.group(1), value, quoted))
        at = match.end()
    return found


class Capture:
    def __init__(self):
        self.header = {}
        self.functions = {}   # name -> {parameter name -> dict(type, direction, nuc, fields={name: (type, nuc, decimals)})}
        self.events = []      # dict(kind, function, outcome, error, sets, values, structures, tables)

    def function(self, name):
        return self.functions.get(name)

    def rows(self, function, table):
        for event in self.events:
            if event["kind"] == "invoke" and event["function"] == function and event["outcome"] == "ok":
                for row in event["tables"].get(table, []):
                    yield row

    def values(self, function, name):
        for event in self.events:
            if event["kind"] == "invoke" and event["function"] == function and event["outcome"] == "ok":
                if name in event["values"]:
                    yield event["values"][name]

    def errors(self):
        for event in self.events:
            if event["outcome"] == "error":
                yield event

    def open_parameters(self):
        for event in self.events:
            if event["kind"] == "open":
                return event["params"]
        return {}


def read(data):
    """The capture in data (bytes, UTF-8)."""
    capture = Capture()
    text = data.decode("utf-8")
    if text.startswith("\ufeff"):
        text = text[1:]
    function = parameter = event = table = None
    for line in text.splitlines():
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        words = tokens(stripped)
        keyword = words[0][1]
        named = {w[0]: w[1] for w in words[1:] if w[0]}
        bare = [w[1] for w in words[1:] if not w[0]]
        if keyword == "quarlane-nwrfc-capture":
            capture.header["version"] = bare[0]
        elif keyword in ("tool", "captured_at", "sdk", "names", "verdict"):
            capture.header[keyword] = bare[0] if bare else ""
            if keyword == "verdict":
                capture.header["exit"] = int(named.get("exit", "0"))
        elif keyword == "function":
            function = capture.functions.setdefault(bare[0], {})
        elif keyword == "parameter":
            parameter = function[bare[0]] = dict(type=bare[1], direction=bare[2], nuc=int(named["nuc"]),
                                                 fields={})
        elif keyword == "field":
            parameter["fields"][bare[0]] = (bare[1], int(named["nuc"]), int(named["decimals"]))
        elif keyword in ("open", "describe", "invoke", "close", "cancel"):
            event = dict(kind=keyword, function=bare[1] if len(bare) > 1 else None, outcome=None, error=None,
                         params={}, sets={}, values={}, structures={}, tables={})
            capture.events.append(event)
        elif keyword == "param":
            event["params"].update(named)
        elif keyword == "ok":
            event["outcome"] = "ok"
        elif keyword == "error":
            event["outcome"] = "error"
            event["error"] = named
        elif keyword == "set":
            event["sets"].update(named)
        elif keyword == "values":
            event["values"].update(named)
        elif keyword == "structure":
            event["structures"][bare[0]] = named
        elif keyword == "table":
            table = event["tables"].setdefault(bare[0], [])
        elif keyword == "row":
            table.append(named)
        else:
            raise ValueError("unknown line: %r" % line)
    return capture


# ------------------------------------------------------------ assumptions

NUMBERS = ("BCD", "DECF16", "DECF34", "FLOAT", "INT8", "INT", "INT2", "INT1")
TIMES = ("RESPTI", "CPUTI", "READDIRTI", "READSEQTI", "CHNGTI", "GUITIME", "QUEUETI", "ROLLWAITTI", "ROLLTI")
COUNTERS = ("COUNT", "DBACTIVCNT", "READDIRCNT", "READSEQCNT", "CHNGCNT")
# The fields the bridge maps into the classic summary (docs/nwrfc.md): a
# missing one reads as zero there, which only a capture can show.
MAPPED = ("COUNT", "RESPTI", "CPUTI", "READDIRTI", "READSEQTI", "CHNGTI", "GUITIME")
CLASSIC_FIELDS = ("COUNT", "DBACTIVCNT", "RESPTI", "CPUTI", "READDIRTI", "READSEQTI", "CHNGTI", "ROLLTI", "GUITIME")
CLOCK = re.compile(r"^[A-Z][a-z]{2} [A-Z][a-z]{2} [ \d]\d \d\d:\d\d:\d\d \d{4}\s*$")
MISSING_KEYS = ("FU_NOT_FOUND", "FUNCTION_NOT_FOUND")


def _types(fields, names, allowed):
    """{type: [names]} of the named fields whose type is not allowed."""
    wrong = {}
    for name in names:
        if name in fields and fields[name][0] not in allowed:
            wrong.setdefault(fields[name][0], []).append(name)
    return wrong


def _is_authorisation(error):
    text = (error.get("key", "") + " " + error.get("message", "")).upper()
    return "AUTHORI" in text or "S_RFC" in text


def collector_facts(capture):
    described = capture.function(COLLECTOR)
    if described is None:
        return []
    found = []
    for name, direction in (("COMPONENT", "import"), ("PERIODTYPE", "import"), ("PERIODSTRT", "import"),
                            ("TASKTYPE", "tables")):
        if name not in described:
            found.append("collector parameter %s assumed present, capture lacks it" % name)
        elif described[name]["direction"] != direction:
            found.append("collector parameter %s assumed %s, capture has %s"
                         % (name, direction, described[name]["direction"]))
    fields = described.get("TASKTYPE", {}).get("fields", {})
    if not fields:
        return found
    tasktype = fields.get("TASKTYPE")
    if tasktype is None:
        found.append("collector field TASKTYPE assumed present, capture lacks it")
    elif tasktype[:2] != ("BYTE", 1):
        found.append("collector task type assumed BYTE 1, capture has %s %d" % tasktype[:2])
    for kind, names in (("time fields", TIMES), ("counters", COUNTERS)):
        for type_, wrong in sorted(_types(fields, names, NUMBERS).items()):
            found.append("collector %s assumed BCD, FLOAT, INT8 or INT, capture has %s (%s)"
                         % (kind, type_, ", ".join(wrong)))
    for name in MAPPED:
        if name not in fields:
            found.append("collector field %s assumed present, capture lacks it" % name)
    if "DBACTIVCNT" not in fields:
        for name in ("READDIRCNT", "READSEQCNT", "CHNGCNT"):
            if name not in fields:
                found.append("collector field %s assumed present (no DBACTIVCNT), capture lacks it" % name)
    if "ROLLTI" not in fields and "ROLLWAITTI" not in fields:
        found.append("collector field ROLLTI or ROLLWAITTI assumed present, capture lacks both")
    return found


def classic_facts(capture):
    described = capture.function(CLASSIC)
    if described is None:
        return []
    fields = described.get("SUMMARY", {}).get("fields")
    if fields is None:
        return ["classic summary table SUMMARY assumed present, capture lacks it"]
    found = []
    tasktype = fields.get("TASKTYPE")
    if tasktype is None or tasktype[:2] != ("CHAR", 7):
        found.append("classic summary field TASKTYPE assumed CHAR 7, capture has %s"
                     % ("%s %d" % tasktype[:2] if tasktype else "none"))
    for name in CLASSIC_FIELDS:
        if name not in fields:
            found.append("classic summary field %s assumed present, capture lacks it" % name)
    for type_, wrong in sorted(_types(fields, CLASSIC_FIELDS, NUMBERS).items()):
        found.append("classic summary figures assumed BCD, FLOAT, INT8 or INT, capture has %s (%s)"
                     % (type_, ", ".join(wrong)))
    return found


def system_facts(capture):
    found = []
    info = capture.function("RFC_SYSTEM_INFO")
    if info is not None:
        fields = info.get("RFCSI_EXPORT", {}).get("fields", {})
        for name in ("RFCSAPRL", "RFCDEST", "RFCHOST"):
            if name not in fields:
                found.append("RFC_SYSTEM_INFO field %s assumed present, capture lacks it" % name)
    for value in capture.values("GET_CPU_ALL", "LASTCOLLWRT"):
        if not CLOCK.match(value):
            found.append("GET_CPU_ALL LASTCOLLWRT assumed 'Www Mmm dd hh:mm:ss yyyy', capture has '%s'" % value)
    return found


def error_facts(capture):
    found = []
    for event in capture.errors():
        error = event["error"]
        code, key, message = error.get("code"), error.get("key", ""), error.get("message", "")
        # RFC_NOT_FOUND itself is the other form the bridge takes as missing.
        if (event["kind"] == "describe" and code == "RFC_ABAP_EXCEPTION" and key not in MISSING_KEYS
                and not _is_authorisation(error)):
            found.append("a missing function module assumed key FU_NOT_FOUND, FUNCTION_NOT_FOUND or "
                         "RFC_NOT_FOUND, capture has %s (%s)" % (key or "no key", event["function"]))
        if ((code == "RFC_AUTHORIZATION_FAILURE" or error.get("group") == "EXTERNAL_AUTHORIZATION_FAILURE"
             or "NO_AUTH" in key.upper()) and not _is_authorisation(error)):
            found.append("a missing authorisation assumed to say AUTHORI... or S_RFC, capture has '%s: %s'"
                         % (key, message))
        lines = [line for line in message.split("\n") if line.strip()]
        if code == "RFC_COMMUNICATION_FAILURE" and len(lines) > 1 and not any(
                line.startswith("ERROR") for line in lines):
            found.append("a network failure's message assumed to have an ERROR line, capture has '%s'"
                         % " | ".join(lines))
    return found


def contradictions(capture):
    """Every assumption of the bridge that the capture contradicts."""
    return collector_facts(capture) + classic_facts(capture) + system_facts(capture) + error_facts(capture)
