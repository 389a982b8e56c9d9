// channel_map_records.cpp - channel maps (type 0xF3).
