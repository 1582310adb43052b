#pragma once
// Every Russian text the loaders write, held in code page 1251.

#include <algorithm>
#include <cstddef>

#include "loaders/common/cp1251_text.h"

namespace loaders::messages {

inline constexpr auto KlineTitle = Cp1251("\nПрограммирование ДУТ Зенток-А\n");
inline constexpr auto Rs485Title = Cp1251("\nПрограммирование ДУТ Зенток-D \n");
inline constexpr auto KlineUsage = Cp1251("Используйте формат: kflasher.exe COMx <filename.ext> \n\n");
inline constexpr auto Rs485Usage = Cp1251("Используйте формат: rflasher.exe COMx <filename.ext> \n\n");
inline constexpr auto PortUnavailable = Cp1251("недоступен");
// The port went away under the loader (adapter pulled), or is not back yet after the switch.
inline constexpr auto PortLost = Cp1251("отключен");
inline constexpr auto PortAwaited = Cp1251("недоступен, ожидание подключения");
inline constexpr auto SensorFound = Cp1251("ДУТ обнаружен. Номер: ");
inline constexpr auto DeviceFound = Cp1251("Обнаружено yстройство ");
inline constexpr auto DeviceNotFound = Cp1251("Устройство не обнаружено");
inline constexpr auto Connected = Cp1251("Соединение установлено");
inline constexpr auto FileNotFound = Cp1251("Файл не найден");
inline constexpr auto NoAnswer = Cp1251("ДУТ не отвечает");
inline constexpr auto WriteError = Cp1251("Ошибка записи");
inline constexpr auto WriteDone = Cp1251("Запись закончена успешно");
// Images that would overrun the loaders' buffers are refused before anything is sent.
inline constexpr auto ImageTooLong = Cp1251("Файл прошивки длиннее 262144 байт");
inline constexpr auto BlockTooLong = Cp1251("Блок файла прошивки длиннее 4096 байт");
inline constexpr auto BlockPastEnd = Cp1251("Блок файла прошивки выходит за конец файла");
inline constexpr auto ImageCutInLength = Cp1251("Файл прошивки обрывается в поле длины блока");
inline constexpr auto ImageEmpty = Cp1251("Файл прошивки не содержит ни одного блока");

// The longest text above, in code page 1251 bytes; sizes the console conversion buffer.
inline constexpr std::size_t LongestMessage =
    std::max({KlineTitle.length,      Rs485Title.length,     KlineUsage.length,       Rs485Usage.length,
              PortUnavailable.length, PortLost.length,       PortAwaited.length,      SensorFound.length,
              DeviceFound.length,     DeviceNotFound.length, Connected.length,        FileNotFound.length,
              NoAnswer.length,        WriteError.length,     WriteDone.length,        ImageTooLong.length,
              BlockTooLong.length,    BlockPastEnd.length,   ImageCutInLength.length, ImageEmpty.length});

} // namespace loaders::messages
