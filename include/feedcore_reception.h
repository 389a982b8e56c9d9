/*
 * feedcore_reception.h - reception rules (0x75, 0x85).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_RECEPTION_H
#define FEEDCORE_RECEPTION_H

#include <stdint.h>

/* One reception time of a service; ScheduleTime counts minutes. */
struct ReceptionSchedule {
    uint8_t UpdateFlag;
    uint32_t DayOfWeek;
    uint16_t ScheduleTime;
    uint8_t ScheduleTimeHour; /* ScheduleTime / 60 */
    uint8_t ScheduleTimeMin;  /* ScheduleTime % 60 */
    uint8_t ScheduleDuration;
};
typedef struct ReceptionSchedule ReceptionSchedule;

struct ReceptionService {
    uint16_t NID;
    uint16_t SID;
    uint8_t ComponentTag;
    uint8_t SCCount;
    ReceptionSchedule* schedules; /* SCCount entries */
};
typedef struct ReceptionService ReceptionService;

/* DescTextSize counts the terminating null when the text is not empty
 * (255 at most: a 255-byte text is stored with its null but counted as 255).
 * DescGraphics holds DescGraphicsSize two-byte references. */
struct ReceptionDescription {
    uint16_t GCN;
    uint16_t NID;
    uint16_t SID;
    uint8_t DescTextSize;
    uint8_t* DescText;
    uint8_t DescGraphicsSize;
    uint8_t* DescGraphics;
};
typedef struct ReceptionDescription ReceptionDescription;

/* InfoType 'R': services; InfoType 'u': one description. */
struct ReceptionRecord {
    uint8_t ReceptRule;
    uint8_t InfoType;
    ReceptionService* services;
    uint32_t serviceCount;
    ReceptionDescription* description;
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(ReceptionSchedule) == 16, "ReceptionSchedule layout");
static_assert(sizeof(ReceptionService) == 12, "ReceptionService layout");
static_assert(sizeof(ReceptionDescription) == 20, "ReceptionDescription layout");
static_assert(sizeof(ReceptionRecord) == 16, "ReceptionRecord layout");
#endif

#endif /* FEEDCORE_RECEPTION_H */
