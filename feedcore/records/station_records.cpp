// station_records.cpp - station names (type 0x70).
