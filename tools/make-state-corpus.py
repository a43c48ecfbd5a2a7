#!/usr/bin/env python3
"""Writes the state chunk fuzzer's starting inputs (tests/fuzz/corpus).

Real chunks come from corvane-render --save-state; the others are those
chunks with the XML text edited and the length field written again, or with
the bytes broken on purpose. Run it again after a change to the state format:

    tools/make-state-corpus.py build/tools/corvane-render tests/fuzz/corpus
"""

import os
import struct
import subprocess
import sys
import tempfile

MAGIC = b"VC2!"


def saved_chunk(render, *settings):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "state.chunk")
        subprocess.run([render, "--save-state", path, *settings], check=True)
        with open(path, "rb") as f:
            return f.read()


def document(chunk):
    """The XML text of a well-formed chunk."""
    assert chunk[:4] == MAGIC and chunk[-1:] == b"\0", "not a state chunk"
    (length,) = struct.unpack("<I", chunk[4:8])
    assert length == len(chunk) - 9, "the length field does not match"
    return chunk[8:8 + length].decode("utf-8")


def chunk_of(text):
    data = text.encode("utf-8")
    return MAGIC + struct.pack("<I", len(data)) + data + b"\0"


def edited(chunk, old, new):
    text = document(chunk)
    assert text.count(old) == 1, "expected exactly one '%s'" % old
    return chunk_of(text.replace(old, new))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)

    render, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)

    fresh = saved_chunk(render)
    settings = saved_chunk(render, "--mix", "0.5", "--loop", "3", "--fade", "0.3", "--reverse", "off")
    dry = saved_chunk(render, "--mix", "0", "--loop", "5", "--fade", "1")

    steps_v2 = 'Seq="60,100,0.5,1,62,90,0.25,0,64,80,1,1,67,127,0.75,0"'
    steps_v1 = 'Seq="60,100,0.5,62,90,0.25,64,80,1,67,127,0.75"'

    corpus = {
        "fresh.chunk": fresh,
        "settings.chunk": settings,
        "dry-four-bars.chunk": dry,
        "editor-size.chunk": edited(fresh, 'PresetVersion="0"', 'PresetVersion="0" UIWidth="900" UIHeight="600"'),
        "sequencer-v2.chunk": edited(fresh, 'Seq=""', steps_v2),
        "sequencer-v1.chunk": edited(edited(fresh, 'Seq=""', steps_v1), 'Version="2"', 'Version="1"'),
        "lowercase-root.chunk": edited(edited(settings, "<PluginState ", "<pluginstate "),
                                       "</PluginState>", "</pluginstate>"),
        # The length field still counts the whole document.
        "truncated.chunk": settings[: len(settings) // 2],
        "wrong-magic.chunk": b"VC1!" + fresh[4:],
    }

    for name, data in corpus.items():
        assert len(data) < 4096, name
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

    print("wrote %d files to %s" % (len(corpus), folder))


if __name__ == "__main__":
    main()
