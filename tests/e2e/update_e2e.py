#!/usr/bin/python3
"""The update check of the real program against loopback servers: a connection opens, the update
helper fetches a signed version file and the window "Mise à jour" appears, while the counting
program's memory map holds no network transfer or TLS library.
update_e2e.py <program> <update helper trusting VQ_TEST_TRUSTED_KEY> <sign-release.sh> <loopback_servers.py>"""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Failure, Session, wait_for  # noqa: E402

# Libraries that do network transfers or TLS; none may be mapped in the counting program.
FORBIDDEN = ("libcurl", "libssl", "libcrypto", "libgnutls", "libnss3", "libnghttp2", "libssh")


def main():
    if len(sys.argv) < 5:
        print(__doc__)
        return 2
    program, helper, sign, servers = sys.argv[1:5]
    s = Session(program)
    try:
        # The helper is the one the tests build: it trusts the key made here and rewrites the
        # program's server addresses to the loopback servers.
        shutil.copy2(helper, os.path.join(s.folder, "mj"))
        keys, web, ftp = (os.path.join(s.tmp, d) for d in ("keys", "web", "ftp"))
        os.makedirs(web)
        os.makedirs(ftp)
        subprocess.run(["bash", sign, "new-key", keys, "--no-passphrase"], check=True, capture_output=True)
        with open(os.path.join(ftp, "Varlotte"), "w") as f:
            f.write("#!/bin/sh\n")
        subprocess.run(["bash", sign, "sign", os.path.join(keys, "publisher.key"), "324",
                        os.path.join(ftp, "Varlotte"), os.path.join(web, "maj.txt")], check=True, capture_output=True)
        ports_file = os.path.join(s.tmp, "ports")
        server = subprocess.Popen(["/usr/bin/python3", servers, web, ftp, "varlotteqyr", "37084216", ports_file],
                                  stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        s.procs.append(server)
        wait_for("the loopback servers", lambda: os.path.exists(ports_file))
        with open(ports_file) as f:
            ports = dict(line.split() for line in f if line.strip())
        with open(os.path.join(keys, "publisher.pub.hex")) as f:
            s.env["VQ_TEST_TRUSTED_KEY"] = f.read().strip()
        s.env["VQ_TEST_URL_MAP"] = (f"http://www.varlotte-qyr.fr=http://127.0.0.1:{ports['http']} "
                                    f"ftp://ftp.varlotte-qyr.fr=ftp://127.0.0.1:{ports['ftp']}")

        s.write_option({
            "Typeconex": {"Forfait": "Maison", "Version": "323"},
            "Forfaits": {"Maison": "/1/0/0/0/0/20/00:00:00/00:00:00"},
            "Dernc Maison": {"temps": "01:00:00", "avf": "19:00:00", "prix": "0", "forfaitdep": "2"},
        })
        pid = s.launch()
        s.connect(name="Box")

        def update_window():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Mise à jour"],
                                   env=s.env, capture_output=True, text=True)
            return found.returncode == 0 and found.stdout.strip()

        wait_for("the window \"Mise à jour\"", update_window, timeout=20)
        with open(f"/proc/{pid}/maps") as f:
            mapped = {line.split()[-1] for line in f if "/" in line}
        found = sorted(m for m in mapped if any(os.path.basename(m).startswith(n) for n in FORBIDDEN))
        if found:
            raise Failure("the counting program maps " + ", ".join(found))
        if not any(os.path.basename(m).startswith("libQt6Core") for m in mapped):
            raise Failure("the memory map was not read from the program")
        print(f"update offered; {len(mapped)} files mapped, none of {', '.join(FORBIDDEN)}")
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as e:
        print(f"FAIL: {e}")
        sys.exit(1)
