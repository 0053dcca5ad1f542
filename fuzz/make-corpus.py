#!/usr/bin/env python3
"""Writes the seed files of fuzz/corpus once; run again only to remake them.

Report definitions: the four shipped ones and small variants of them.
Restore check: a few small sound and broken database files (512-byte pages).
CSV reader: small files in each encoding and delimiter, sound and broken, each
behind the byte that picks the reader's settings.
JUnit results: the test fixtures and small variants of them.
"""
import os
import shutil
import sqlite3
import tempfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
defs = os.path.join(root, "reports", "definitions")
rpt_out = os.path.join(root, "fuzz", "corpus", "reportdefinition")
db_out = os.path.join(root, "fuzz", "corpus", "restorecheck")
os.makedirs(rpt_out, exist_ok=True)
os.makedirs(db_out, exist_ok=True)

# Report definitions.
shipped = sorted(f for f in os.listdir(defs) if f.endswith(".rpt"))
for name in shipped:
    shutil.copy(os.path.join(defs, name), os.path.join(rpt_out, name))

variants = {
    "minimal.rpt": '<report title="t"><query>select 1 as a</query><columns><column field="a" width="9"/></columns></report>',
    "intro_and_groups.rpt": (
        '<report title="t" orientation="landscape"><parameters><parameter name="p" caption="P"/>'
        '<parameter name="c" show="heading"/></parameters>'
        '<intro><query params="p">select * from qv_zr_projects where qv_zr_prjid = ?</query>'
        '<item label="D" field="qv_zr_prj_desc"/></intro>'
        '<query params="p,p">select * from qv_zr_tst_cases where qv_zr_prjid = ? or qv_zr_prjid = ? -- ?</query>'
        '<columns><column header="A" field="qv_zr_pass" width="1.5" align="right" format="date"/></columns>'
        '<groups><group field="qv_zr_tst_type" header="{value}" footer="{count}"/></groups>'
        '<sort><key field="qv_zr_tst_case_id" order="descending"/></sort></report>'),
    "summary.rpt": (
        '<report title="t"><query>select \'?\' as r</query><columns><column field="r" width="9"/></columns>'
        '<summary title="S"><count label="n" field="r" notEquals="x"/>'
        '<countBy label="b" by="r" order="Pass,Fail"/>'
        '<rate label="r" field="r" equals="Pass" baseField="r" baseNotEquals=""/>'
        '<barChart label="c" by="r"><bar value="Pass" label="P" color="#2e7d32"/><bar label="none"/></barChart>'
        '</summary></report>'),
    "unterminated.rpt": '<report title="t"><query>select 1</query>',
    "after_end.rpt": '<report title="t"><query>select 1 as a</query><columns><column field="a" width="9"/></columns></report><x/>',
    "entities.rpt": '<!DOCTYPE r [<!ENTITY e "&#x3f;">]><report title="&e;"><query>select &e;</query></report>',
    "empty.rpt": "",
}
for name, text in variants.items():
    with open(os.path.join(rpt_out, name), "w", encoding="utf-8") as f:
        f.write(text)

# Database files.
with open(os.path.join(root, "data", "schema.sql"), encoding="utf-8") as f:
    schema = f.read()


def make(name, extra=(), tables=schema):
    path = os.path.join(db_out, name)
    if os.path.exists(path):
        os.remove(path)
    con = sqlite3.connect(path)
    con.execute("pragma page_size=512")
    con.execute("pragma journal_mode=delete")
    con.executescript(tables)
    for sql in extra:
        con.execute(sql)
    con.commit()
    con.execute("vacuum")
    con.close()
    with open(path, "rb") as f:
        return f.read()


make("empty_sound.mdb")
sound = make("rows_sound.mdb", [
    "insert into qv_zr_projects values ('P1', 'O''Brien', 'Web', '10', 'LOC', 'NO')",
    "insert into qv_zr_tst_cases values ('P1', 'Unit', 'Login', 'UI', '1', 'd', 'e', 'Fail', 'a', 'Major', 'Logic', '2024-03-05')",
    "insert into Tqvjx_companydetails values ('Acme', '1 Road')",
])
make("foreign.mdb", tables="create table notes (id integer primary key, body text);")
make("trigger.mdb", ["create trigger t after insert on qv_zr_projects begin delete from qv_zr_tst_cases; end"])
make("missing_column.mdb", ["alter table qv_zr_tst_cases drop column qv_zr_dt_tst"])

with open(os.path.join(db_out, "truncated.mdb"), "wb") as f:
    f.write(sound[: len(sound) // 2])
damaged = bytearray(sound)
for i in range(len(damaged) - 512, len(damaged), 7):  # scribble over the last page
    damaged[i] ^= 0x5A
with open(os.path.join(db_out, "damaged_page.mdb"), "wb") as f:
    f.write(bytes(damaged))
with open(os.path.join(db_out, "header_only.mdb"), "wb") as f:
    f.write(sound[:100])
with open(os.path.join(db_out, "text.mdb"), "wb") as f:
    f.write(b"These are my notes, not a database.\n")

# CSV files: the first byte is the settings (encoding in its low two bits:
# detect, UTF-8, UTF-16, Windows-1252; delimiter in the next two: detect, comma,
# semicolon, tab).
csv_out = os.path.join(root, "fuzz", "corpus", "csvreader")
os.makedirs(csv_out, exist_ok=True)
header = b"Test Type,Component,Component Type,Test Case Id,Description,Expected Result\r\n"
csv_seeds = {
    "export.csv": b"\x00" + header + b'Unit,Core,Mod,T1,"say ""hi"", then\r\nwait",ok\r\n',
    "semicolons.csv": b"\x08" + header.replace(b",", b";") + b"Unit;Core;Mod;T1;d;e\n",
    "tabs_cr.csv": b"\x0c" + header.replace(b",", b"\t") + b"Unit\tCore\tMod\tT1\td\te\r\r",
    "bom.csv": b"\x01\xef\xbb\xbf" + header + "Unit,Core,Mod,T1,Caf\u00e9 \U0001F600,e\n".encode(),
    "utf16.csv": b"\x02" + ("\ufeff" + header.decode() + "Unit,Core,Mod,T1,\u20ac,e\n").encode("utf-16-le"),
    "windows1252.csv": b"\x03" + header + b"Unit,Core,Mod,T1,Caf\xe9 \x93q\x94,e\n",
    "stray_byte.csv": b"\x00" + header + "Unit,Core,Mod,T1,Caf\u00e9,e\n".encode() + b'Unit,Core,Mod,T2,"a\nCaf\xe9",e\n',
    "unclosed.csv": b"\x00" + header + b'Unit,Core,Mod,T1,"open,e\n',
    "ragged.csv": b"\x04a,b\n1,2,3\n\n4\n",
    "nul.csv": b"\x00a,b\n1,\x002\n",
}
for name, data in csv_seeds.items():
    with open(os.path.join(csv_out, name), "wb") as f:
        f.write(data)

# JUnit files: the fixtures the tests read, and variants.
junit_out = os.path.join(root, "fuzz", "corpus", "junitresults")
os.makedirs(junit_out, exist_ok=True)
fixtures = os.path.join(root, "tests", "fixtures", "junit")
for name in sorted(f for f in os.listdir(fixtures) if f.endswith(".xml")):
    shutil.copy(os.path.join(fixtures, name), os.path.join(junit_out, name))
junit_seeds = {
    "future.xml": '<testsuites><testsuite timestamp="2099-01-01T00:00:00"><testcase name="test_T1">'
                  '<failure message="">\n\n  first line\nsecond<b>child</b></failure></testcase>'
                  '<testsuite timestamp="2024-02-30"><testcase name="T2"><skipped/></testcase></testsuite>'
                  '</testsuite></testsuites>',
    "long_message.xml": '<testsuite><testcase name="T1"><error message="' + "x" * 2500 + '"/></testcase>'
                        '<testcase name="T2" status="notrun"><failure><![CDATA[' + "y" * 4100 + ']]></failure>'
                        '</testcase></testsuite>',
    "deep.xml": "<testsuite>" * 300 + "</testsuite>" * 300,
    "deep_failure.xml": '<testsuite><testcase name="t"><failure>' + "<b>" * 300 + "</b>" * 300
                        + "</failure></testcase></testsuite>",
}
for name, text in junit_seeds.items():
    with open(os.path.join(junit_out, name), "w", encoding="utf-8") as f:
        f.write(text)
