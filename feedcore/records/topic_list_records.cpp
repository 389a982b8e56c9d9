// topic_list_records.cpp - topic lists (types 0x62, 0x6F).
