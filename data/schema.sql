-- The tables of testing.mdb. Every column the program writes is text except
-- qv_zr_dt_tst, a date kept as yyyy-mm-dd so that it sorts and compares as a date.

CREATE TABLE qv_zr_projects (
  qv_zr_prjid       TEXT,
  qv_zr_prj_desc    TEXT,
  qv_zr_prj_type    TEXT,
  qv_zr_prj_size    TEXT,
  qv_zr_size_units  TEXT,
  qv_zr_closed      TEXT
);
CREATE INDEX ix_projects_prjid ON qv_zr_projects (qv_zr_prjid);

CREATE TABLE qv_zr_tst_cases (
  qv_zr_prjid           TEXT,
  qv_zr_tst_type        TEXT,
  qv_zr_component       TEXT,
  qv_zr_component_type  TEXT,
  qv_zr_tst_case_id     TEXT,
  qv_zr_tst_case_desc   TEXT,
  qv_zr_rslt_exp        TEXT,
  qv_zr_pass            TEXT,
  qv_zr_rslt_act        TEXT,
  qv_zr_def_severity    TEXT,
  qv_zr_def_cat         TEXT,
  qv_zr_dt_tst          DATE
);
-- The list of a project and test type, and the five-text key of one test case.
CREATE INDEX ix_cases_prj_type ON qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id);
-- The components of a project and the component type of a component.
CREATE INDEX ix_cases_prj_cmp ON qv_zr_tst_cases (qv_zr_prjid, qv_zr_component);

CREATE TABLE Tqvjx_companydetails (
  fqv_jx_companyname  TEXT,
  fqv_jx_address      TEXT
);
