#!/usr/bin/env python3
"""Writes two-pages.pdf: two pages of 144 x 108 points drawn with lines, curves, fills and
text in a Type 3 font whose glyphs are paths, so that rendering needs no system font.
Page 1 is a framed square; page 2 a small plot: axes, a curve, dots and the label "12"."""

glyph_one = b"600 0 0 0 600 700 d1 250 0 m 350 0 l 350 700 l 250 700 l 150 600 l 250 600 l f"
glyph_two = (b"600 0 0 0 600 700 d1 100 0 m 500 0 l 500 100 l 230 100 l 480 420 l "
             b"500 700 300 700 120 640 c 120 540 l 300 600 400 600 380 440 c 100 80 l f")
page1 = b"0.2 0.3 0.8 RG 2 w 20 14 104 80 re S 0.9 0.1 0.1 rg 52 34 40 40 re f"
page2 = (b"0 0 0 RG 1 w 20 16 m 20 100 l S 20 16 m 136 16 l S "
         b"0.1 0.4 0.9 RG 1.5 w 20 20 m 50 90 80 30 130 95 c S "
         b"0.8 0.1 0.1 rg 40 45 m 43 45 43 51 40 51 c 37 51 37 45 40 45 c f "
         b"90 60 m 93 60 93 66 90 66 c 87 66 87 60 90 60 c f "
         b"0 0 0 rg BT /F1 14 Tf 100 24 Td (12) Tj ET")

def stream(data):
    return b"<< /Length %d >>\nstream\n" % len(data) + data + b"\nendstream"

objects = [
    b"<< /Type /Catalog /Pages 2 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 144 108] >>",
    b"<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << >> >>",
    stream(page1),
    b"<< /Type /Page /Parent 2 0 R /Contents 6 0 R /Resources << /Font << /F1 7 0 R >> >> >>",
    stream(page2),
    b"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 600 700] "
    b"/FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /one 8 0 R /two 9 0 R >> "
    b"/Encoding << /Type /Encoding /Differences [49 /one /two] >> "
    b"/FirstChar 49 /LastChar 50 /Widths [600 600] /Resources << >> >>",
    stream(glyph_one),
    stream(glyph_two),
]

out = bytearray(b"%PDF-1.4\n")
offsets = []
for number, body in enumerate(objects, start=1):
    offsets.append(len(out))
    out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
xref = len(out)
out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
for offset in offsets:
    out += b"%010d 00000 n \n" % offset
out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
open("two-pages.pdf", "wb").write(out)
