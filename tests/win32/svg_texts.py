#!/usr/bin/env python3
"""Compares an SVG of the Windows program with the Linux program's of the same input.

The two documents come from different writers (GDI's layout and Qt's SVG generator),
so their elements differ; what must agree: both are well-formed SVG of the same size
(the view box), and they carry the same texts, each as often.
Usage: svg_texts.py WINDOWS.svg LINUX.svg
"""
import collections
import sys
import xml.etree.ElementTree as ElementTree

SVG = "{http://www.w3.org/2000/svg}"


def read(path):
    root = ElementTree.parse(path).getroot()
    texts = collections.Counter(
        "".join(element.itertext()).strip() for element in root.iter(SVG + "text"))
    texts.pop("", None)
    return root.get("viewBox").split(), texts


def main():
    (box_w, texts_w), (box_l, texts_l) = read(sys.argv[1]), read(sys.argv[2])
    problems = []
    if [float(v) for v in box_w] != [float(v) for v in box_l]:
        problems.append(f"view box {box_w} on Windows, {box_l} on Linux")
    only_w, only_l = texts_w - texts_l, texts_l - texts_w
    if only_w or only_l:
        problems.append(f"texts only on Windows: {dict(only_w)}; only on Linux: {dict(only_l)}")
    print(f"{sys.argv[1]}: {sum(texts_w.values())} texts, {len(problems)} problems")
    for problem in problems:
        print("  " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
