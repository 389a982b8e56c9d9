// reception_records.cpp - reception rules (types 0x75, 0x85).
