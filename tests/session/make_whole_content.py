#!/usr/bin/env python3
"""Lays out the platform the whole-deployment tests deploy from, in OUT
(OUT/wnbin/... is served as /wnbin/...); the sample platform signs every
library and cabinet when it starts.

  wnbin/whole/start_a.js, servlet/tkservlet.CacheVersion, wnservlet.ServerVersion
                                         (a separate deployment per server)
  wnbin/whole/incompatible/start_a.js   a start script naming another loader
  wnbin/whole/versioned/                 a server root whose version reply asks for a
                                         deployment per server version ("9.1.0")
  wnbin/whole/site/                      the descriptor (VuvoViziz_setup.cab, and the
                                         same as Client_setup.cab; the "base"
                                         edition) and every component
  wnbin/whole/editions/<name>[-client].cab  the editions of the descriptor, which a
                                         test publishes by copying them over the
                                         site's two

The client program travels in client.cab as MEMBER and is started from the
unpacked file. Usage:
  make_whole_content.py --out OUT --library DLL --client PROGRAM --member NAME
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "descriptors"))
from make_descriptor_fixtures import ini, pack, write_server_root  # noqa: E402


def library(name, description, **extra):
    keys = [("URLName", "%URL%/" + name), ("ShortName", name), ("Description", description)]
    return keys + list(extra.items())


def client(member, mode=None):
    keys = [("URLName", "%URL%/client.cab"), ("ShortName", member), ("Extract", "Y"), ("Main", "Y"),
            ("ProgId", "VUVuzaro.UI.Application"), ("Description", "Test client"),
            ("param_Server", "%TkRoot%"), ("param_Home", "%URL%"),
            ("param_AdditionalParams", "%AdditionalParams%")]
    if mode:
        keys.append(("param_Mode", mode))
    return keys


def editions(member):
    """Each edition of the descriptor as (name, sections)."""
    base = [
        ("Common Data", [("Destination", "%AppData%\\VarnikWhole")]),
        ("File_Alpha", library("alpha.dll", "Alpha library")),
        ("File_Beta", library("beta.dll", "Beta library")),
        ("File_Client", client(member)),
        ("File_Gamma", library("gamma.dll", "Gamma library", ContentFlavors="Full")),
    ]

    def edit(section, keys):
        return [(name, keys if name == section else value) for name, value in base]

    return {
        "base": base,
        # beta's section names a new file: only beta is fetched again.
        "changed": edit("File_Beta", library("beta2.dll", "Beta library", Version="1.0.0.2")),
        # A component the server lacks (404) between two it has.
        "failing": base[:2] + [("File_Broken", library("missing.dll", "Broken library"))] + base[2:],
        # A .NET Framework the loader may not install (no "Setup").
        "netfx": base + [("File_NetFx", library("netfx.dll", ".NET Framework 9.9",
                                                ForceDownload="9.9", NETSP="0"))],
        # A client that ignores WM_CLOSE (a native one cannot register a
        # window: it lingers, and the test's window stands in for its own).
        "stubborn": edit("File_Client", client(
            member, "ignore-close" if member.endswith(".exe") else "linger")),
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--client", required=True)
    parser.add_argument("--member", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.out, ignore_errors=True)
    root = os.path.join(args.out, "wnbin", "whole")
    site = os.path.join(root, "site")
    os.makedirs(site)
    write_server_root(root, "CV5150", "FORCE_SEPARATE_CLIENT_DEPLOYMENT")
    # A server root that asks for a deployment per server version.
    write_server_root(os.path.join(root, "versioned"), "CV5150", "9.1.0", incompatible=False)
    for name in ("alpha.dll", "beta.dll", "beta2.dll", "gamma.dll", "netfx.dll"):
        shutil.copyfile(args.library, os.path.join(site, name))
    work = tempfile.mkdtemp()
    try:
        stage = os.path.join(work, "client")
        os.makedirs(stage)
        shutil.copyfile(args.client, os.path.join(stage, args.member))
        subprocess.run(["gcab", "-c", "-z", os.path.join(site, "client.cab"), args.member],
                       cwd=stage, check=True)
        # Each edition under both descriptor names: a descriptor named
        # otherwise than VuvoViziz_setup.ini may be run from a shared folder.
        for name, sections in editions(args.member).items():
            for descriptor, suffix in (("VuvoViziz_setup", ""), ("Client_setup", "-client")):
                edition = os.path.join(root, "editions", name + suffix + ".cab")
                pack(descriptor + ".ini", ini(sections), edition, work)
                if name == "base":
                    shutil.copyfile(edition, os.path.join(site, descriptor + ".cab"))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
