#!/usr/bin/env python3
"""Makes signed setup descriptor cabinets: INI files packed with gcab and
signed with osslsigncode by the test PKI (make-test-pki.sh).

  --set tests   the descriptors the merge tests fetch (see DESCRIPTORS)
  --set bench   a main descriptor of 2,000 components, an extension of 500
                and 50 plug-ins of 20 components each, laid out as the
                server serves them (VuvoViziz_setup.cab, custom_modules.cab,
                Extensions/plugins.txt, Extensions/plugNN.cab); without
                --pki the cabinets are left unsigned for the sample platform
                to sign
  --set platform  the tree the sample platform serves as wnbin/deploy (see
                make_platform): unsigned cabinets the platform signs when it
                starts, except below "unsigned"; no --pki
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile


def ini(sections):
    """INI text with CR LF line ends from (name, [(key, value)]) pairs."""
    lines = []
    for name, keys in sections:
        lines.append("[%s]" % name)
        lines.extend("%s=%s" % pair for pair in keys)
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


def component(name, url=None):
    return (name, [("URLName", "%URL%" + (url or name.lower() + ".lld")),
                   ("ShortName", name.lower() + ".dll")])


MAIN = ini([
    ("Common Data", [("Destination", "%AppData%\\QX\\ZEL-Client")]),
    ("File_Client", [("URLName", "%URL%client.xxx"), ("ShortName", "client.exe"), ("Main", "Y")]),
    ("File_A", [("URLName", "%URL%main-a.lld"), ("ShortName", "a.dll")]),
    ("Manifest_M", [("ShortName", "m.manifest")]),
    ("Settings", [("Origin", "main")]),
])

# name of the cabinet: (member name, member text, signer or None)
DESCRIPTORS = {
    "VuvoViziz_setup.cab": ("VuvoViziz_setup.ini", MAIN, "nordak.pem"),
    "unsigned_setup.cab": ("unsigned_setup.ini", MAIN, None),
    "untrusted_setup.cab": ("untrusted_setup.ini", MAIN, "untrusted-leaf.pem"),
    "Plain_setup": ("Plain_setup", MAIN, "nordak.pem"),
    "custom_modules.cab": ("custom_modules.ini", ini([
        ("File_A", [("URLName", "%URL%ext-a.lld"), ("ShortName", "ext-a.dll")]),
        (" File_B", [("URLName", "%URL%b.lld"), ("ShortName", "b.dll")]),
        ("Settings", [("Origin", "ext")]),
    ]), "nordak.pem"),
    "plug1.cab": ("plug1.ini", ini([
        ("Manifest_X", [("ShortName", "x1.manifest")]),
        component("File_P1"),
    ]), "nordak.pem"),
    "plug2.cab": ("plug2.ini", ini([
        ("Manifest_X", [("ShortName", "x2.manifest")]),
        component(" File_P2"),
    ]), "nordak.pem"),
    "plug3.cab": ("plug3.ini", ini([component("File_P3")]), "nordak.pem"),
    "noini.cab": ("readme.txt", "No descriptor in here.\r\n", "nordak.pem"),
    "huge.cab": ("huge.ini", ini([component("File_%05d" % n) for n in range(5000)]),
                 "nordak.pem"),
}


def pack(member, text, cabinet, work):
    os.makedirs(os.path.dirname(cabinet) or ".", exist_ok=True)
    folder = tempfile.mkdtemp(dir=work)
    with open(os.path.join(folder, member), "w", newline="") as out:
        out.write(text)
    subprocess.run(["gcab", "-c", "-z", cabinet, member], cwd=folder, check=True)
    shutil.rmtree(folder)


def sign(pki, signer, unsigned, signed):
    subprocess.run(["osslsigncode", "sign", "-certs", os.path.join(pki, signer),
                    "-key", os.path.join(pki, "signer.key"), "-n", "Varnik fixture",
                    "-h", "sha256", "-in", unsigned, "-out", signed],
                   check=True, stdout=subprocess.DEVNULL)


def make(cabinet, member, text, signer, pki, work):
    if signer is None or pki is None:
        pack(member, text, cabinet, work)
        return
    unsigned = os.path.join(work, "unsigned.cab")
    pack(member, text, unsigned, work)
    sign(pki, signer, unsigned, cabinet)
    os.remove(unsigned)


def make_tests(pki, out, work):
    for name, (member, text, signer) in DESCRIPTORS.items():
        make(os.path.join(out, name), member, text, signer, pki, work)
    with open(os.path.join(out, "error_page.cab"), "w", newline="") as page:
        page.write("<html><body><h1>404 Not Found</h1></body></html>\r\n")


def make_bench(pki, out, work):
    extensions = os.path.join(out, "Extensions")
    os.makedirs(extensions, exist_ok=True)
    main = [("Common Data", [("Destination", "%AppData%\\QX\\ZEL-Client")])]
    main += [component("File_Main%04d" % n) for n in range(2000)]
    make(os.path.join(out, "VuvoViziz_setup.cab"), "VuvoViziz_setup.ini", ini(main),
         "nordak.pem", pki, work)
    # Half of the extension's components collide with the main descriptor's.
    extension = [component("File_Main%04d" % n if n % 2 else "File_Ext%04d" % n)
                 for n in range(500)]
    make(os.path.join(out, "custom_modules.cab"), "custom_modules.ini", ini(extension),
         "nordak.pem", pki, work)
    lines = []
    for plugin in range(50):
        name = "plug%02d" % plugin
        sections = [component("File_%s_%02d" % (name, n)) for n in range(20)]
        make(os.path.join(extensions, name + ".cab"), name + ".ini", ini(sections),
             "nordak.pem", pki, work)
        lines.append(name + ".cab")
    with open(os.path.join(extensions, "plugins.txt"), "w", newline="") as listing:
        listing.write("\r\n".join(lines) + "\r\n")


# The class identifier of the Loader control, which the start script of a
# platform that suits this loader names.
LOADER_CLASS = "233FFEB5-A392-473D-B886-7D4D080A0EFC"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data.encode("latin-1") if isinstance(data, str) else data)


def write_server_root(root, cache_version, server_version, incompatible=True):
    """A platform's server root: the start script naming this loader, the
    cache-version and server-version replies, and below incompatible/ a
    start script that names another loader."""
    write(os.path.join(root, "start_a.js"),
          '// platform start script\nvar loaderClass = "{%s}";\nstart();\n' % LOADER_CLASS)
    write(os.path.join(root, "servlet", "tkservlet.CacheVersion"), cache_version + "\n")
    write(os.path.join(root, "wnservlet.ServerVersion"), server_version + "\r\n")
    if incompatible:
        write(os.path.join(root, "incompatible", "start_a.js"),
              '// platform start script\n'
              'var loaderClass = "{00000000-0000-0000-0000-000000000000}";\n')


def make_platform(pki, out, work):
    """OUT/wnbin/deploy, a platform's server root (TkRootURL) with the
    descriptors of DESCRIPTORS, its server replies and plug-in lists:

      start_a.js, servlet/tkservlet.CacheVersion, wnservlet.ServerVersion
      setup/<cabinet>           the signed descriptors (signed by the platform)
      unsigned/<cabinet>        unsigned_setup.cab, and Error_setup.cab: an error page
      Extensions/plug1.cab ...  the plug-ins; sub/plug3.cab below a folder
      Extensions/<list>.txt     plugins, one, hostile, gone, empty, binary, overlong
      outside.cab               what "../outside.cab" would name from Extensions
      incompatible/start_a.js   a start script that names another loader
    """
    root = os.path.join(out, "wnbin", "deploy")
    write_server_root(root, "CV4242", "8.0.1")
    for name, (member, text, signer) in DESCRIPTORS.items():
        if signer != "nordak.pem" or "." not in name:
            continue  # the platform signs what it serves with its own certificate
        folder = "Extensions" if name.startswith("plug") else "setup"
        if name == "plug3.cab":
            folder = os.path.join("Extensions", "sub")
        make(os.path.join(root, folder, name), member, text, None, None, work)
    make(os.path.join(root, "outside.cab"), "plug2.ini", DESCRIPTORS["plug2.cab"][1], None, None, work)
    make(os.path.join(root, "unsigned", "unsigned_setup.cab"), "unsigned_setup.ini", MAIN, None,
         None, work)
    write(os.path.join(root, "unsigned", "Error_setup.cab"),
          "<html><body><h1>404 Not Found</h1></body></html>\r\n")
    lists = {
        "plugins.txt": "plug1.cab\r\nplug2.cab\nsub/plug3.cab\r\nsub/\r\n",
        "hostile.txt": "".join(line + "\r\n" for line in HOSTILE_LINES) + "plug1.cab\r\n",
        "one.txt": "plug1.cab\r\n",
        "gone.txt": "gone1.cab\r\ngone2.cab\r\n",
        "empty.txt": "",
        "binary.txt": bytes((i * 131 + 7) % 256 for i in range(4096)),
        "overlong.txt": "a" * 5000 + "\r\nplug1.cab\r\n",
    }
    for name, data in lists.items():
        write(os.path.join(root, "Extensions", name), data)


# Plug-in lines that lead out of the Extensions folder.
HOSTILE_LINES = ["../outside.cab", "..\\victim.cab", "sub/../../outside.cab", "C:\\evil.cab",
                 "c:evil.cab", "\\\\server\\share\\evil.cab", "/abs.cab", "plug1.cab:stream",
                 ". ./outside.cab", "...\\victim.cab"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pki", help="folder made by make-test-pki.sh")
    parser.add_argument("--out", required=True)
    parser.add_argument("--set", choices=["tests", "bench", "platform"], default="tests")
    args = parser.parse_args()
    if args.set == "tests" and not args.pki:
        parser.error("--set tests needs --pki")
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    work = tempfile.mkdtemp()
    try:
        {"tests": make_tests, "bench": make_bench, "platform": make_platform}[args.set](
            args.pki, args.out, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
