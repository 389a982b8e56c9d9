// area_records.cpp - area code lists (types 0x71, 0x72, 0x7E).
