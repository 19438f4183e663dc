"""Every shipped exe carries its version in a VERSIONINFO resource, as
Explorer's Properties show it. Usage: version_info.py VERSION EXE..."""
import os
import sys

import pefile

version, exes = sys.argv[1], sys.argv[2:]
failed = False
for exe in exes:
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    strings = {}
    for info in getattr(pe, "FileInfo", None) or []:
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    numbers = [int(n) for n in version.split(".")] + [0]
    wanted = {
        "FileVersion": version, "ProductVersion": version, "ProductName": "Brindlewick",
        "CompanyName": "Quillmar", "OriginalFilename": os.path.basename(exe),
    }
    problems = [f"{key} is {strings.get(key)!r}, not {value!r}"
                for key, value in wanted.items() if strings.get(key) != value]
    if not strings.get("FileDescription"):
        problems.append("FileDescription is empty")
    if "Quillmar" not in strings.get("LegalCopyright", ""):
        problems.append("LegalCopyright does not name Quillmar")
    if not fixed or [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                     fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF] != numbers:
        problems.append("the fixed FILEVERSION is not " + version)
    for problem in problems:
        print(f"FAIL: {exe}: {problem}", file=sys.stderr)
        failed = True
sys.exit(1 if failed else 0)
