#include "Kzutil.h"

#include <ctime>

namespace {

std::tm Now()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

CKzDate::~CKzDate() = default;

int CKzDate::GetCurrentYear() { return Now().tm_year + 1900; }
int CKzDate::GetCurrentMonth() { return Now().tm_mon + 1; }
int CKzDate::GetCurrentDay() { return Now().tm_mday; }
int CKzDate::GetCurrentHour() { return Now().tm_hour; }
int CKzDate::GetCurrentMinute() { return Now().tm_min; }
// A leap second (60) reads as 59.
int CKzDate::GetCurrentSecond()
{
    int second = Now().tm_sec;
    return second > 59 ? 59 : second;
}
