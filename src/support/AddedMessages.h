#pragma once
// Texts added after the original message table, numbered on from its last id (96) so that
// the n-th key of a language file's strings section still translates id n. New texts take the
// next free id here; an id is never reused.

#include "support/Localizer.h"

namespace kv {

struct TMessage {
    int id;
    const char* text;
};

inline std::string Localize(const TMessage& message)
{
    return Localize(message.id, message.text);
}

inline constexpr TMessage kMsgNotSupported{97, "Операция не поддерживается данной версией пульта."};
inline constexpr TMessage kMsgSkippedCue{98, "Пропущена команда сценария, пульт:"};
inline constexpr TMessage kMsgStartTimePassed{99, "Время запуска уже прошло. Запустить сейчас?"};
inline constexpr TMessage kMsgUnknownPort{100, "Неизвестное значение [link] Port:"};
inline constexpr TMessage kMsgPortTakenAsAuto{101, ", выбрано auto"};
inline constexpr TMessage kMsgTimeOutsideMemory{102, "Время команды вне диапазона памяти пульта."};
inline constexpr TMessage kMsgCuesOutsideMemory{
    103, "В сценарии есть команды, время которых не помещается в память пультов..."};
inline constexpr TMessage kMsgClockBeyondBusTime{
    104, "Время шоу вне диапазона передачи, трансляция времени прекращена"};
inline constexpr TMessage kMsgConverterNotOpened{105, "Преобразователь не открыт:"};
inline constexpr TMessage kMsgJoinDialout{
    106, "Добавьте пользователя в группу dialout и войдите в систему заново."};
inline constexpr TMessage kMsgConvertersTaken{107, "Выбраны преобразователи:"};
inline constexpr TMessage kMsgNoVolumeMixer{108, "Микшер громкости не найден:"};
inline constexpr TMessage kMsgReportNotWritten{109, "Отчёт о пуске не записан:"};
inline constexpr TMessage kMsgRehearsalBegin{
    110, "Начало репетиции на модели найденной установки, устройств:"};
inline constexpr TMessage kMsgRehearsalEnd{111, "Конец репетиции, шина переключена на преобразователи"};
inline constexpr TMessage kMsgRehearsalShow{
    112, "Репетиция: пуск на модели найденной установки, реальная шина отключена"};
inline constexpr TMessage kMsgRehearsalBanner{
    113, "РЕПЕТИЦИЯ: модель найденной установки, реальная шина отключена. Выход: Ctrl+F10"};
inline constexpr TMessage kMsgRehearsalNoDevices{
    114, "Для репетиции нужна найденная установка: сначала поиск (F10)."};
inline constexpr TMessage kMsgRehearsalChecksPending{
    115, "Отстрелянные каналы ещё проверяются. Репетиция возможна после проверки."};
inline constexpr TMessage kMsgRehearsalNoModel{116, "Модель установки не построена:"};

}  // namespace kv
