#!/usr/bin/env python3
# The preference reader against Firefox ESR itself.
#
# A seeded generator writes prefs.js and user.js files full of what real profiles and hand-kept
# templates hold: comments of every kind (statements inside them and inside strings), duplicates
# and appended overrides, both quotes, escapes, odd blanks and every kind of line end, malformed
# statements, pref/sticky_pref/lockPref, the managed preferences and many made-up names, and in
# every place byte-order marks, zero bytes, bytes that are no UTF-8 and line separators. For each
# pair, Firefox (headless, driven over its Marionette port) says which value it uses for every
# name, and pref_probe says what the reader makes of the same files; they must agree. Then the
# user.js that an Apply with every box left as read writes goes to Firefox in place of the old one:
# every managed value Firefox uses must stay as it was.
#
# Beside them, on a Firefox home with two profiles that Firefox itself made: the program finds the
# profile Firefox starts with; with every box ticked, exactly the preferences whose default is an
# unticked box come back from the prefs.js Firefox writes on exit (with the editor path); and
# after Restore Firefox keeps none of the managed preferences but the editor's two.
#
#   firefox_differential.py --probe PATH [--files N] [--seed S] [--workers W] [--keep DIR]
import argparse
import concurrent.futures
import contextlib
import json
import os
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import time

MANAGED = []  # the catalogue's names, as the probe prints them (main fills it in)
MADE_UP = ["qv.n%d" % i for i in range(24)] + ["qv n%d" % i for i in range(8)]
# A free port for each Firefox, set by Marionette from its environment at start-up, so the two
# files under test stay exactly as written (a byte-order mark must be a file's first byte).
PORT_OF_ITS_OWN = {"MOZ_MARIONETTE_PREF_STATE_ACROSS_RESTARTS": '{"marionette.port": 0}'}
# The value Firefox uses for each name, in the probe's terms: type, value (0/1, decimal, or "x"
# and the hex of a string's bytes, here each a character), whether it is the user's, locked.
QUERY = """
const p = Services.prefs, out = {};
const hex = s => "x" + Array.from(s, c => c.charCodeAt(0).toString(16).padStart(2, "0")).join("");
for (const n of arguments[0]) {
  const t = p.getPrefType(n);
  const v = t == 128 ? ["bool", p.getBoolPref(n) ? "1" : "0"]
          : t == 64 ? ["int", String(p.getIntPref(n))]
          : t == 32 ? ["string", hex(p.getCharPref(n))] : ["none", "-"];
  out[n] = [...v, +p.prefHasUserValue(n), +p.prefIsLocked(n)];
}
return out;"""


# ---- Firefox and the probe ---------------------------------------------------------------------

@contextlib.contextmanager
def running_firefox(home, *arguments, **environment):
    """Firefox ESR, headless, with its own HOME; killed when the block ends if still running."""
    process = subprocess.Popen(["firefox-esr", "--headless", "--no-remote", *arguments],
                               env=dict(os.environ, HOME=home, MOZ_HEADLESS="1", **environment),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        yield process
    finally:
        process.kill()
        process.wait(timeout=60)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def marionette(port, *commands):
    """Sends (name, parameters) commands in turn to Marionette; the value the last answers."""
    with socket.create_connection(("127.0.0.1", port), 60) as sock:
        stream = sock.makefile("rb")

        def receive():  # "<length>:<json>"; a closed connection fails on the empty length
            length = b""
            while (byte := stream.read(1)) not in (b":", b""):
                length += byte
            return json.loads(stream.read(int(length)))

        receive()
        for name, parameters in commands:
            body = json.dumps([0, 1, name, parameters]).encode()
            sock.sendall(b"%d:%s" % (len(body), body))
            answer = receive()
            if answer[2]:
                raise RuntimeError("%s: %s" % (name, answer[2]))
    return answer[3]["value"]


def firefox_values(folder, prefs, user, names):
    """What Firefox uses for each name once it read the two files: their profile, in folder, stays
    warm from one call to the next, and Firefox is killed once it answered."""
    profile = os.path.join(folder, "profile")
    port_file = os.path.join(profile, "MarionetteActivePort")
    os.makedirs(profile, exist_ok=True)
    with contextlib.suppress(FileNotFoundError):
        os.remove(port_file)
    write(os.path.join(profile, "prefs.js"), prefs)
    write(os.path.join(profile, "user.js"), user)
    with running_firefox(os.path.join(folder, "home"), "--marionette", "-profile", profile,
                         "-remote-allow-system-access", "about:blank", **PORT_OF_ITS_OWN):
        deadline = time.time() + 60
        while not (os.path.exists(port_file) and open(port_file).read().strip()):
            if time.time() > deadline:
                raise RuntimeError("Firefox opened no Marionette port")
            time.sleep(0.05)
        return marionette(int(open(port_file).read()), ("WebDriver:NewSession", {}),
                          ("Marionette:SetContext", {"value": "chrome"}),
                          ("WebDriver:ExecuteScript", {"script": QUERY, "args": [names]}))


def from_probe(probe, folder, prefs, user):
    """The reader's [type, value, user, locked] by name, and the user.js an Apply would write."""
    os.makedirs(folder)
    paths = [os.path.join(folder, name) for name in ("prefs.js", "user.js", "applied")]
    write(paths[0], prefs)
    write(paths[1], user)
    values = {}
    for line in subprocess.run([probe, *paths], input="\n".join(MANAGED + MADE_UP), text=True,
                               check=True, capture_output=True).stdout.splitlines():
        kind, value, has_user, locked, name = line.split(" ", 4)
        values[name] = [kind, value, int(has_user), int(locked)]
    with open(paths[2], "rb") as f:
        return values, f.read()


# ---- The program on a profile Firefox made ---------------------------------------------------

EDITOR = "C:\\Program Files (x86)\\Editor\\editor.exe"


def check_real_profiles(probe, work):
    """The problems of the locate, Apply, Firefox, read and Restore round on a real profile."""
    home, appdata = os.path.join(work, "real", "home"), os.path.join(work, "real", "appdata")

    def firefox(*arguments):
        """Firefox run to its end, with these arguments or else started and quit."""
        # Firefox saves prefs.js only when a preference changed during the run; its start-up time
        # stamps, in whole seconds, are such a change only when the last run was in another second.
        time.sleep(1.1)
        arguments = arguments or ("--screenshot", os.path.join(home, "s.png"), "about:blank")
        with running_firefox(home, *arguments) as process:
            if process.wait(timeout=120) != 0:
                raise RuntimeError("firefox-esr %s failed" % " ".join(arguments))

    def run(*arguments):
        return subprocess.run([probe, *arguments], env=dict(os.environ, APPDATA=appdata),
                              capture_output=True, text=True)

    def boxes():
        for line in run("boxes").stdout.splitlines():
            found, flag, default, text, name = line.split(" ", 4)
            yield name, int(found), int(flag), int(default), bytes.fromhex(text[1:]).decode()

    def found_in(name):
        return [os.path.realpath(os.path.join(folder, name))
                for folder, _, files in os.walk(home) if name in files]

    firefox("-CreateProfile", "alpha")
    firefox("-CreateProfile", "beta")
    firefox()
    lists = found_in("profiles.ini")
    if len(lists) != 1:
        return ["Firefox wrote %d profile lists" % len(lists)]
    os.makedirs(os.path.join(appdata, "Mozilla"))
    os.symlink(os.path.dirname(lists[0]), os.path.join(appdata, "Mozilla", "Firefox"))
    # A profile other than the one Firefox starts would read as untouched by it below.
    user_js = os.path.join(os.path.dirname(found_in("prefs.js")[0]), "user.js")
    problems = []
    if run("tick-all", EDITOR).returncode != 0:
        return ["Apply failed"]
    firefox()
    os.remove(user_js)
    for name, found, flag, default, text in boxes():
        path = name == "view_source.editor.path"
        if (found, flag, text) != (int(path or default == 0), int(not path), EDITOR if path else ""):
            problems.append("%r after Firefox kept the ticked boxes: found %d, box %d, text %r"
                            % (name, found, flag, text))
    if run("tick-all", EDITOR).returncode != 0 or run("restore").returncode != 0:
        return problems + ["Apply or Restore failed"]
    if os.path.exists(user_js):
        problems.append("Restore left user.js")
    firefox()
    problems += ["%r after Restore: found %d" % (name, found) for name, found, *_ in boxes()
                 if found != name.startswith("view_source.")]
    return problems


# ---- The generator ----------------------------------------------------------------------------

# Characters a reader may take for something else: a byte-order mark, a zero byte, bytes that are
# no UTF-8 (written through surrogateescape), and the Unicode line separators.
ODD = ["\ufeff", "\0", "\udcff", "\udce2\udc82", "\udcc3", "\u2028", "\u0085"]


class Generator:
    def __init__(self, seed):
        self.r = random.Random(seed)
        self.eol = self.r.choice(["\n", "\r\n", "\r", None])  # None: every line end mixed
        self.odd_rate = self.r.choice([0, 0.003, 0.02])  # how often an odd character comes in

    def line_end(self):
        return self.eol or self.r.choice(["\n", "\r\n", "\r"])

    def odd(self, rate=1.0):
        return self.r.choice(ODD) if self.r.random() < self.odd_rate * rate else ""

    def blank(self, lines=True):
        pick = self.r.random()
        if pick < 0.55:
            return self.r.choice(["", " ", "", "  "]) + self.odd(0.2)
        if pick < 0.75:
            return self.r.choice(["\t", " \v", "\f ", " /* note%s */ " % self.odd(20)])
        if not lines:
            return " "
        return self.r.choice([self.line_end(), "/* a\r\nblock%s */" % self.odd(20),
                              "// c%s" % self.odd(20) + self.line_end(),
                              "# c%s" % self.odd(20) + self.line_end(), self.line_end() + "  "])

    def text(self, q):
        """A string literal in quote q, with escapes of every kind, some of them malformed."""
        parts = []
        for _ in range(self.r.randint(0, 7)):
            pick = self.r.random()
            if pick < 0.45:
                parts.append(self.r.choice(["C:", "Program Files", "ed.exe", "a", "x y", "\u00e9",
                                            "user_pref(", ");", "*/", "//", "#"]))
            elif pick < 0.6:
                parts.append(self.r.choice(["\\\\", "\\\"", "\\'", "\\n", "\\r"]))
            elif pick < 0.7:
                parts.append(self.r.choice(["\\x41", "\\x2e", "\\u00e9", "\\u20AC",
                                            "\\ud83d\\ude00"]))
            elif pick < 0.75:
                parts.append(self.r.choice(["\\q", "\\x4", "\\x00", "\\u0000", "\\udc00",
                                            "\\ud800", "\\ud800\\u0041", "\\ud800x"]))
            elif pick < 0.8:
                parts.append(self.r.choice(["\n", "\r\n", '"' if q == "'" else "'"]))
            elif pick < 0.85:
                parts.append(self.odd(10) + self.r.choice(["", "\\" + self.odd(5)]))
            else:
                parts.append('user_pref("geo.enabled", false);'.replace(q, "\\" + q))
        return q + "".join(parts) + q

    def name(self, name):
        q = self.r.choice(['"', '"', "'"])
        if self.r.random() < 0.15:
            name = name.replace(".", "\\x2e", 1)
        return q + name + self.odd(0.2) + q

    def value(self, name):
        if name == "view_source.editor.path" and self.r.random() < 0.7:
            return self.r.choice(['"C:\\\\Tools\\\\ed.exe"', "'D:\\\\e (x86)\\\\v.exe'", '""',
                                  self.text('"')])
        kinds = ["bool"] * 6 + ["int", "string"] if name in MANAGED else ["bool", "int", "string"]
        kind = self.r.choice(kinds)
        if kind == "bool":
            return self.r.choice(["true", "false"])
        if kind == "int":
            return self.r.choice(["0", "1", "-1", "+7", "- 7", "-/*x*/3", "2147483647",
                                  "-2147483648", "2147483648", "-2147483649", "007", "12abc",
                                  "99999999999", str(self.r.randint(-5000, 5000))])
        return self.text(self.r.choice(['"', "'"]))

    def statement(self, keyword, name, lines=True):
        b = lambda: self.blank(lines)
        parts = [keyword, b(), "(", b(), self.name(name), b(), ",", b(), self.value(name), b(),
                 ")", b(), ";"]
        if self.r.random() < 0.08:
            broken = self.r.choice(["(", ",", ")", ";", "name", "attribute", "keyword"])
            if broken == "name":
                parts[4] = name
            elif broken == "attribute":
                parts.insert(10, ", locked")
            elif broken == "keyword":
                parts[0] = self.r.choice(["user_prefs", "User_pref", "userpref"])
            else:
                parts.remove(broken)
        return "".join(parts)

    def entry(self, user_file):
        name = self.r.choice(MANAGED) if self.r.random() < 0.45 else self.r.choice(MADE_UP)
        pick = self.r.random()
        # An odd character in a comment may end it early, before a statement then read.
        if pick < 0.08:
            return "// " + self.odd(10) + self.statement("user_pref", name, lines=False)
        if pick < 0.12:
            return "# " + self.odd(10) + self.statement("user_pref", name, lines=False)
        if pick < 0.18:
            return "/* " + self.odd(10) + self.statement("user_pref", name).replace("*/", "") + " */"
        keyword = self.r.choices(["user_pref", "pref", "sticky_pref", "lockPref"],
                                 [70, 8, 5, 10] if user_file else [90, 4, 2, 4])[0]
        return self.odd(0.5) + self.statement(keyword, name)

    def file(self, count, user_file, header):
        out = self.r.choice(["\ufeff"] * 3 + ["\ufeff\ufeff", " \ufeff"] + [""] * 15)
        out += header + self.line_end()
        for _ in range(count):
            out += self.entry(user_file) + self.r.choice([self.line_end(), " ", self.line_end()])
        if self.r.random() < 0.04:
            out += "\0" + self.entry(user_file)
        if self.r.random() < 0.04:
            out += self.r.choice(['user_pref("qv.n1", "unended', "/* unended", "user_pref("])
        if self.r.random() < 0.1:  # the last statement without its line end, or without its ';'
            last = self.entry(user_file)
            out += last[:len(last) - self.r.choice([0, 1, 2])]
        return out.encode("utf-8", "surrogateescape")

    def profile(self):
        return (self.file(30, False, "// Mozilla User Preferences"),
                self.file(self.r.randint(20, 80), True, "/*** a template user.js ***/"))


# ---- The comparison ---------------------------------------------------------------------------

# Written by hand, checked before the generated ones: rules the generator reaches only by chance.
FIXED = [
    # A lockPref gives a preference without a default one: a later value of another type is
    # refused, in either file, and so is a lockPref of another type than an earlier user value.
    (b'lockPref("qv.n0", 1);\nuser_pref("qv.n0", "a");\nuser_pref("qv.n1", true);\n',
     b'user_pref("read plugins", 3);\nlockPref("read plugins", true);\nuser_pref("qv.n1", 2);\n'
     b'lockPref("qv.n1", 7);\n'),
    # A leading byte-order mark is skipped. A zero byte ends a comment and reading goes on after
    # it, ends a block comment or a string as malformed (reading resumes after the next ';'
    # token), and where a token would begin it ends the file.
    (b'\xef\xbb\xbfuser_pref("geo.enabled", false);\n// note\0user_pref("dom.battery.enabled", '
     b'false);\nuser_pref("qv.n2", "a\0b"); user_pref("qv.n3", 1);\n/* x\0 */ user_pref("qv.n5", '
     b'3); user_pref("browser.send_pings", true);\n',
     b'\xef\xbb\xbfuser_pref("media.peerconnection.enabled", false);\r\n# c\0user_pref("qv.n6", '
     b'"p\\\0q");\r\nuser_pref("browser.search.openintab", true);\0user_pref("geo.enabled", '
     b'true);\n'),
]


def check_file(index, seed, firefox_folder, probe, work, keep):
    """Returns the disagreements of one profile (the fixed ones first), as lines of text."""
    prefs, user = FIXED[index] if index < len(FIXED) else Generator(seed * 100003 + index).profile()
    folder = os.path.join(work, "probe-%d" % index)
    ours, applied = from_probe(probe, folder, prefs, user)
    before = firefox_values(firefox_folder, prefs, user, MANAGED + MADE_UP)
    after = firefox_values(firefox_folder, prefs, applied, MANAGED)
    problems = ["%r: Firefox %s, reader %s" % (name, before[name], ours[name])
                for name in MANAGED + MADE_UP if ours[name] != before[name]]
    problems += ["%r: Apply changed %s to %s" % (name, before[name][:2], after[name][:2])
                 for name in MANAGED if before[name][:2] != after[name][:2]]
    if problems and keep:
        shutil.copytree(folder, os.path.join(keep, "file-%d" % index), dirs_exist_ok=True)
    shutil.rmtree(folder)
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    parser.add_argument("--files", type=int, default=4)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--keep", help="folder for the files of every disagreement")
    args = parser.parse_args()
    MANAGED.extend(subprocess.run([args.probe, "names"], check=True, capture_output=True,
                                  text=True).stdout.splitlines())
    work = tempfile.mkdtemp(prefix="quorvane-differential-")
    files, started = len(FIXED) + args.files, time.time()

    def run(worker):  # each Firefox takes every workers-th file, one at a time
        firefox = os.path.join(work, "firefox-%d" % worker)
        return [(index, check_file(index, args.seed, firefox, args.probe, work, args.keep))
                for index in range(worker, files, args.workers)]

    try:
        with concurrent.futures.ThreadPoolExecutor(args.workers + 1) as pool:
            real = pool.submit(check_real_profiles, args.probe, work)
            results = sorted(sum(pool.map(run, range(args.workers)), []))
            real_problems = real.result()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in real_problems:
        print("real profile: " + problem)
    disagreeing = [(index, problems) for index, problems in results if problems]
    for index, problems in disagreeing:
        print("file %d (seed %d):" % (index, args.seed))
        print("\n".join("  " + problem for problem in problems[:12]))
    print("differential: %d files, %d names each, %d disagreeing, %.0f s"
          % (files, len(MANAGED + MADE_UP), len(disagreeing), time.time() - started))
    print("%d passed, %d failed" % (files - len(disagreeing), len(disagreeing)))
    return 1 if disagreeing or real_problems else 0


if __name__ == "__main__":
    sys.exit(main())
