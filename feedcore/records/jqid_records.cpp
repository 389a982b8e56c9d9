// jqid_records.cpp - JQID tables (type 0xDF).
