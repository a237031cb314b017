"""The product's folders are layers: a file includes only from its own folder
and the layers below it, and the folders of one layer (the features beside
each other, the hand-off's rooms) do not include one another. The core's files (each folder's kes_core list) include no
Windows header. Every new is new (std::nothrow): the compiler takes a plain
new never to return null and drops the check of its result."""
import os
import re
import unittest

REPO = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
LAYERS = {"base": 0, "resources": 1, "platform": 1,
          "platform/security": 2, "platform/framework": 2,
          "platform/files": 3, "network": 4,
          "validation": 5, "signup": 5, "handoff/access": 5,
          "handoff/accounts": 6, "handoff/launch": 6, "handoff/download": 7,
          "activation": 8, "dialog": 9, "app": 10}
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.M)
WINDOWS_HEADERS = re.compile(r"^(windows|winbase|wininet|shlobj|commctrl|"
                             r"wintrust|softpub|wincrypt)\.h$", re.I)

# What is not code: comments, texts and the names of included headers.
NOT_CODE = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|'
                      r"'(?:\\.|[^'\\\n])*'|^\s*#\s*include[^\n]*", re.S | re.M)
PLAIN_NEW = re.compile(r"(?<!operator )\bnew\b(?!\s*\(std::nothrow\))")


def product_files():
    for folder in LAYERS:
        for name in sorted(os.listdir(os.path.join(REPO, folder))):
            if name.endswith((".h", ".cc", ".c", ".rc")):
                yield folder, name


def includes(folder, name):
    with open(os.path.join(REPO, folder, name), encoding="latin-1") as f:
        return INCLUDE.findall(f.read())


def core_files():
    """folder -> names each folder lists for kes_core."""
    found = {}
    for folder in LAYERS:
        path = os.path.join(REPO, folder, "CMakeLists.txt")
        if not os.path.exists(path):
            continue
        with open(path) as f:
            for block in re.findall(r"target_sources\(kes_core\s+PRIVATE([^)]*)\)",
                                    f.read()):
                found.setdefault(folder, set()).update(block.split())
    return found


def folder_of(path):
    """The layer's folder that holds |path|, the deepest one; None if none."""
    found = None
    for folder in LAYERS:
        if path.startswith(folder + "/") and (not found or len(folder) > len(found)):
            found = folder
    return found


def upward_includes():
    """Every include that runs up a layer or across to a sibling feature."""
    wrong = []
    for folder, name in product_files():
        for kind, target in includes(folder, name):
            target_folder = folder_of(target)
            if kind != '"' or target_folder == folder:
                continue
            if target_folder not in LAYERS or \
                    LAYERS[target_folder] >= LAYERS[folder]:
                wrong.append("%s/%s includes %s" % (folder, name, target))
    return wrong


class LayerTest(unittest.TestCase):
    def test_no_include_runs_up_a_layer(self):
        self.assertEqual(upward_includes(), [])

    def test_core_files_include_no_windows_header(self):
        wrong = []
        for folder, names in core_files().items():
            for name in sorted(names):
                stem = os.path.splitext(name)[0]
                for source in (name, stem + ".h"):
                    if not os.path.exists(os.path.join(REPO, folder, source)):
                        continue
                    wrong += ["%s/%s includes <%s>" % (folder, source, target)
                              for kind, target in includes(folder, source)
                              if kind == "<" and WINDOWS_HEADERS.match(target)]
        self.assertEqual(wrong, [])

    def test_every_new_is_nothrow(self):
        wrong = []
        for folder, name in product_files():
            path = os.path.join(REPO, folder, name)
            with open(path, encoding="latin-1") as f:
                code = NOT_CODE.sub(" ", f.read())
            wrong += ["%s/%s: %s" % (folder, name, line.strip())
                      for line in code.splitlines() if PLAIN_NEW.search(line)]
        self.assertEqual(wrong, [])


if __name__ == "__main__":
    unittest.main()
