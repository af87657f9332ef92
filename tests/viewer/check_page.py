#!/usr/bin/env python3
"""Parses a thumbnail page with an independent HTML parser and checks that every link and image
resolves to a file next to the page. Prints one line per finding:
  row <cells>        a table row and how many cells it has
  caption <text>     the text of a caption cell
  alt <text>         the alt text of an image
  broken <target>    a link or image whose file does not exist
  error <message>    the page is not well nested
Exit status 0 when nothing is broken."""
import os
import sys
from html.parser import HTMLParser
from urllib.parse import unquote_to_bytes, urlsplit

VOID = {"img", "meta", "br", "hr", "link", "input"}


class PageChecker(HTMLParser):
    def __init__(self, base):
        super().__init__(convert_charrefs=True)
        self.base = base
        self.stack = []
        self.cells = None
        self.caption = None
        self.out = []
        self.broken = False

    def check_target(self, target):
        parts = urlsplit(target)
        if parts.scheme or parts.netloc or parts.query or parts.fragment:
            self.out.append("broken " + target)
            self.broken = True
            return
        path = os.path.join(os.fsencode(self.base), unquote_to_bytes(parts.path))
        if not os.path.isfile(path):
            self.out.append("broken " + target)
            self.broken = True

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag not in VOID:
            self.stack.append(tag)
        if tag == "tr":
            self.cells = 0
        elif tag == "td":
            self.cells += 1
            if attrs.get("class") == "thumbtext":
                self.caption = ""
        elif tag == "a" and "href" in attrs:
            self.check_target(attrs["href"])
        elif tag == "img":
            self.check_target(attrs.get("src", ""))
            self.out.append("alt " + attrs.get("alt", ""))

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1] != tag:
            self.out.append("error unexpected </%s> in %s" % (tag, "/".join(self.stack)))
            self.broken = True
            return
        self.stack.pop()
        if tag == "tr":
            self.out.append("row %d" % self.cells)
        elif tag == "td" and self.caption is not None:
            self.out.append("caption " + self.caption)
            self.caption = None

    def handle_data(self, data):
        if self.caption is not None:
            self.caption += data


def main():
    page = sys.argv[1]
    checker = PageChecker(os.path.dirname(os.path.abspath(page)))
    with open(page, "rb") as f:
        checker.feed(f.read().decode("iso-8859-1"))
    checker.close()
    if checker.stack:
        checker.out.append("error unclosed " + "/".join(checker.stack))
        checker.broken = True
    sys.stdout.buffer.write(("\n".join(checker.out) + "\n").encode("utf-8"))
    return 1 if checker.broken else 0


if __name__ == "__main__":
    sys.exit(main())
