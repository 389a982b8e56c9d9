// dictionary_records.cpp - code dictionaries (types 0x5D, 0xE2).
