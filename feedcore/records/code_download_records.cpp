// code_download_records.cpp - code download (type 0x5B).
