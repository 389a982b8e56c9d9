// topic_message_records.cpp - topic messages (types 0x61, 0x6E).
