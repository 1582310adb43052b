#pragma once
// Every Russian text the loaders write, held in code page 1251.

#include <algorithm>
#include <cstddef>

#include "loaders/common/cp1251_text.h"

namespace loaders::messages {

inline constexpr auto kKlineTitle = Cp1251("\nПрограммирование ДУТ Зенток-А\n");
inline constexpr auto kRs485Title = Cp1251("\nПрограммирование ДУТ Зенток-D \n");
inline constexpr auto kKlineUsage = Cp1251("Используйте формат: kflasher.exe COMx <filename.ext> \n\n");
inline constexpr auto kRs485Usage = Cp1251("Используйте формат: rflasher.exe COMx <filename.ext> \n\n");
inline constexpr auto kPortUnavailable = Cp1251("недоступен");
// The port went away under the loader (adapter pulled), or is not back yet after the switch.
inline constexpr auto kPortLost = Cp1251("отключен");
inline constexpr auto kPortAwaited = Cp1251("недоступен, ожидание подключения");
inline constexpr auto kSensorFound = Cp1251("ДУТ обнаружен. Номер: ");
inline constexpr auto kDeviceFound = Cp1251("Обнаружено yстройство ");
inline constexpr auto kDeviceNotFound = Cp1251("Устройство не обнаружено");
inline constexpr auto kConnected = Cp1251("Соединение установлено");
inline constexpr auto kFileNotFound = Cp1251("Файл не найден");
inline constexpr auto kNoAnswer = Cp1251("ДУТ не отвечает");
inline constexpr auto kWriteError = Cp1251("Ошибка записи");
inline constexpr auto kWriteDone = Cp1251("Запись закончена успешно");
// Images that would overrun the loaders' buffers are refused before anything is sent.
inline constexpr auto kImageTooLong = Cp1251("Файл прошивки длиннее 262144 байт");
inline constexpr auto kBlockTooLong = Cp1251("Блок файла прошивки длиннее 4096 байт");
inline constexpr auto kBlockPastEnd = Cp1251("Блок файла прошивки выходит за конец файла");
inline constexpr auto kImageCutInLength = Cp1251("Файл прошивки обрывается в поле длины блока");
inline constexpr auto kImageEmpty = Cp1251("Файл прошивки не содержит ни одного блока");

// The longest text above, in code page 1251 bytes; sizes the console conversion buffer.
inline constexpr std::size_t kLongestMessage =
    std::max({kKlineTitle.length,      kRs485Title.length,     kKlineUsage.length,       kRs485Usage.length,
              kPortUnavailable.length, kPortLost.length,       kPortAwaited.length,      kSensorFound.length,
              kDeviceFound.length,     kDeviceNotFound.length, kConnected.length,        kFileNotFound.length,
              kNoAnswer.length,        kWriteError.length,     kWriteDone.length,        kImageTooLong.length,
              kBlockTooLong.length,    kBlockPastEnd.length,   kImageCutInLength.length, kImageEmpty.length});

} // namespace loaders::messages
