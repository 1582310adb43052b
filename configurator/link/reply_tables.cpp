#include "configurator/link/reply_tables.h"

const std::set<RequestCode>& StatusReplyCodes() {
    static const std::set<RequestCode> codes{0x03, 0x08, 0x09, 0x30, 0x32, 0x36, 0x3A, 0x46};
    return codes;
}

const std::map<std::uint16_t, const char16_t*>& LevelStateTexts() {
    static const std::map<std::uint16_t, const char16_t*> texts{
        {0xFFF0, u"вода"},
        {0xFFF1, u"нет калибровки"},
        {0xFFF2, u"ошибка калибровки"},
        {0xFFF3, u"калибровка по длине трубки"},
        {0xFFF4, u"ожидание автокалибровки"},
        {0xFFF5, u"автокалибровка"},
    };
    return texts;
}

const std::map<int, const char16_t*>& SensorModeTexts() {
    static const std::map<int, const char16_t*> texts{
        {0, u"отсутвие калибровки"},     {1, u"измерение"},         {2, u"режим калибровки по длине трубки"},
        {3, u"режим автокалибровки"},    {4, u"ошибка калибровки"}, {5, u"вода"},
        {6, u"ожидание автокалибровки"},
    };
    return texts;
}
