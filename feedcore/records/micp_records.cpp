// micp_records.cpp - MICP blocks (type 0xF5).
