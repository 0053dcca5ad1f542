#!/usr/bin/env python3
"""Writes the seed files of fuzz/corpus once; run again only to remake them.

Report definitions: the four shipped ones and small variants of them.
Restore check: a few small sound and broken database files (512-byte pages).
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
