#pragma once
// Texts added after the original message table, numbered on from its last id (96) so that
// the n-th key of a language file's strings section still translates id n. New texts take the
// next free id here; an id is never reused.

#include "support/lang/Localizer.h"

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
// The firing report and the continuity report.
inline constexpr TMessage kMsgFileNotOpened{117, "Файл не открывается:"};
inline constexpr TMessage kMsgNotFiringReport{118, "Файл не является отчётом о пуске:"};
inline constexpr TMessage kMsgBadReportLine{119, "Ошибка в отчёте о пуске, строка"};
inline constexpr TMessage kMsgModuleAbsent{120, "пульт не найден"};
inline constexpr TMessage kMsgConverterLost{121, "потерян преобразователь"};
inline constexpr TMessage kMsgNoEcho{122, "нет эха команды"};
inline constexpr TMessage kMsgOutsideTables{123, "недопустимый пульт или канал"};
inline constexpr TMessage kMsgBeforeStartPoint{124, "до точки запуска"};
inline constexpr TMessage kMsgStoppedBefore{125, "шоу остановлено раньше"};
inline constexpr TMessage kMsgNoAnswer{126, "нет ответа"};
inline constexpr TMessage kMsgReportCues{127, "Команд в сценарии:"};
inline constexpr TMessage kMsgReportFired{128, "Выполнено по времени:"};
inline constexpr TMessage kMsgReportByHand{129, "Выполнено вручную:"};
inline constexpr TMessage kMsgReportMemory{130, "Из памяти пультов:"};
inline constexpr TMessage kMsgReportLateness{131, "Опоздание, мс (медиана / 99% / макс.):"};
inline constexpr TMessage kMsgReportEarly{132, "Раньше времени:"};
inline constexpr TMessage kMsgReportMissed{133, "Пропущено:"};
inline constexpr TMessage kMsgNoSuchChannel{134, "нет такого канала"};
inline constexpr TMessage kMsgShortCircuit{135, "короткое замыкание"};
inline constexpr TMessage kMsgUntested{136, "не проверен"};
inline constexpr TMessage kMsgOhms{137, "Ом"};
inline constexpr TMessage kMsgShowStoppers{138, "Каналов сценария, которые не сработают:"};
inline constexpr TMessage kMsgTestedChannels{139, ", проверено:"};
inline constexpr TMessage kMsgNotReadyChannels{140, "В сценарии, не подключены:"};
inline constexpr TMessage kMsgConnectedUnused{141, "Подключены, не в сценарии:"};
inline constexpr TMessage kMsgFaultsUnused{142, "Замыкания и ошибки вне сценария:"};
inline constexpr TMessage kMsgPdfNotWritten{143, "Файл PDF не записан:"};
inline constexpr TMessage kMsgReportSaved{144, "Отчёт сохранён:"};
inline constexpr TMessage kMsgFiringReportShown{145, "Отчёт о пуске:"};
inline constexpr TMessage kMsgContinuityShown{146, "Отчёт о проверке каналов, не сработают:"};
inline constexpr TMessage kMsgContinuityPdfName{147, "проверка каналов"};
inline constexpr TMessage kMsgReportMade{148, "Составлен:"};
inline constexpr TMessage kMsgReportChecks{149, "Проверка после выстрела:"};
inline constexpr TMessage kMsgUntestedInScenario{150, ", не проверено:"};
inline constexpr TMessage kMsgRehearsalReport{151, "РЕПЕТИЦИЯ на модели установки, не пуск:"};
// The debug window's test.
inline constexpr TMessage kMsgDebugTestWrites{
    152, "Тест переводит пульты в режим теста, записывает команду в память всех пультов и "
         "запускает часы пультов. Продолжить?"};
// Writing the remote controller with firing modules registered.
inline constexpr TMessage kMsgWriteControllerAnyway{153, "Записать сценарий в ПДУ(Р)?"};
inline constexpr TMessage kMsgImportBadTime{154, "неверное время"};
inline constexpr TMessage kMsgImportBadPrefire{155, "неверное время предзапуска"};
inline constexpr TMessage kMsgImportBadModule{156, "неверный номер модуля (1-239)"};
inline constexpr TMessage kMsgImportBadChannel{157, "неверный номер канала (1-512)"};
inline constexpr TMessage kMsgImportBadAddress{158, "неверный шестнадцатеричный адрес"};
inline constexpr TMessage kMsgImportBadRail{159, "неверный номер линейки"};
inline constexpr TMessage kMsgImportNoRailSize{160, "линейка без заданного размера линейки"};
inline constexpr TMessage kMsgImportPinBeyondRail{161, "канал больше размера линейки"};
inline constexpr TMessage kMsgImportTwoMoments{162, "канал модуля срабатывает в разные моменты, строки:"};
inline constexpr TMessage kMsgImportRowType{163, "неизвестный тип строки"};
inline constexpr TMessage kMsgImportUnknownFormat{164, "Формат файла не распознан."};
inline constexpr TMessage kMsgImportNoFrameRate{165, "Не задана частота кадров."};
inline constexpr TMessage kMsgImportNoColumn{166, "В заголовке нет столбца:"};
inline constexpr TMessage kMsgImportNoCues{167, "В файле нет команд."};
// Shots by key still waiting for a high-voltage charge when the show stopped.
inline constexpr TMessage kMsgManualShotCancelled{168, "Ручной запуск отменён остановкой, пульт:"};
inline constexpr TMessage kMsgStepShotCancelled{169, "Пошаговый запуск отменён остановкой, пульт:"};
inline constexpr TMessage kMsgSoundtrackStalled{
    170, "Вывод фонограммы остановился, шоу идёт по своим часам"};
// The state of the modules before a start, a write or a verify; the high-voltage panel.
inline constexpr TMessage kMsgModulesInTestMode{171, "Пульты в режиме теста не сработают..."};
inline constexpr TMessage kMsgHVSettingUnknown{
    172, "Уровень энергии заряда пультов высокого напряжения неизвестен..."};
inline constexpr TMessage kMsgHVChannelsUnmeasured{
    173, "Сопротивления каналов пультов высокого напряжения не измерены, заряд 1 В..."};
inline constexpr TMessage kMsgHVSettingNotWritten{174, "Уровень энергии заряда не записан, пульт:"};
// The debug window's test, refused.
inline constexpr TMessage kMsgDebugTestNoTestMode{175, "Пульт не переведён в режим теста, тест не начат:"};
// The timecode chase.
inline constexpr TMessage kMsgTimecodeLocked{226, "Таймкод захвачен:"};
inline constexpr TMessage kMsgTimecodeRate{227, "Частота таймкода, кадров в секунду:"};
inline constexpr TMessage kMsgTimecodeWrongRate{228, "Таймкод не той частоты, что задана; слышно:"};
inline constexpr TMessage kMsgTimecodeLost{229, "Таймкод потерян после"};
inline constexpr TMessage kMsgTimecodeFreewheel{230, "Шоу идёт по своим часам, мс:"};
inline constexpr TMessage kMsgTimecodeStopped{176, "Таймкод не вернулся, шоу остановлено"};
inline constexpr TMessage kMsgTimecodeJump{177, "timecode jump"};
inline constexpr TMessage kMsgTimecodeBack{178, "Таймкод назад, часы шоу ждут его на"};
inline constexpr TMessage kMsgTimecodeArmed{179, "Ожидание таймкода, источник:"};
inline constexpr TMessage kMsgTimecodeStart{180, "Запуск по таймкоду"};
inline constexpr TMessage kMsgTimecodeDisarmed{181, "Ожидание таймкода снято"};
inline constexpr TMessage kMsgTimecodeNoCapture{182, "Нет входа таймкода:"};
inline constexpr TMessage kMsgTimecodeIndicator{183, "Таймкод:"};
// The show-script import, the position lockout and the go/no-go check.
inline constexpr TMessage kMsgImportFormat{184, "Формат:"};
inline constexpr TMessage kMsgImportCues{185, "команд:"};
inline constexpr TMessage kMsgImportRefused{186, "отклонено строк:"};
inline constexpr TMessage kMsgImportLoaded{187, "Импорт сценария:"};
// The lockout of an imported show's positions.
inline constexpr TMessage kMsgPositionLocked{188, "Позиция заблокирована:"};
inline constexpr TMessage kMsgPositionUnlocked{189, "Позиция разблокирована:"};
inline constexpr TMessage kMsgLockedOutCue{190, "Команда заблокированной позиции не выполнена, пульт:"};
inline constexpr TMessage kMsgPositionLockedOut{191, "позиция заблокирована"};
inline constexpr TMessage kMsgLockoutAutonomous{
    192, "В автономном режиме модули стреляют из своей памяти: позицию заблокировать нельзя."};
inline constexpr TMessage kMsgLockoutNoPositions{193, "В сценарии нет позиций."};
inline constexpr TMessage kMsgLockedPositions{194, "Заблокировано позиций:"};
inline constexpr TMessage kMsgUnlockBeforeAutonomous{
    195, "Заблокированы позиции, а в автономном режиме модули стреляют из своей памяти: снимите "
         "блокировку, прежде чем переходить в автономный режим."};
inline constexpr TMessage kMsgLockedOutShot{196, "Ручной запуск отклонён, позиция заблокирована, пульт:"};
// The go/no-go check before a show.
inline constexpr TMessage kMsgGoModulesMissing{197, "Модули сценария не найдены на шине:"};
inline constexpr TMessage kMsgGoModulesTodo{
    198, "Найдите их поиском (F10): проверьте питание, линию и адрес."};
inline constexpr TMessage kMsgGoChannels{199, "Каналы сценария, пульт"};
inline constexpr TMessage kMsgGoTestAge{200, "проверка, минут назад:"};
inline constexpr TMessage kMsgGoChannelsTodo{
    201, "Проверьте воспламенители и линии, повторите тест каналов."};
inline constexpr TMessage kMsgGoUntestedTodo{202, "Проверьте каналы (Tab, тест каналов)."};
inline constexpr TMessage kMsgGoTestMode{203, "Модули в режиме теста:"};
inline constexpr TMessage kMsgGoTestModeTodo{204, "Переведите их в режим пуска (F12)."};
inline constexpr TMessage kMsgGoChargeUnknown{205, "Энергия заряда не известна, пульты:"};
inline constexpr TMessage kMsgGoChargeOneVolt{206, "Каналы не измерены, заряд 1 В, пульты:"};
inline constexpr TMessage kMsgGoChargeTodo{
    207, "Проверьте каналы и задайте энергию заряда на панели высокого напряжения."};
inline constexpr TMessage kMsgGoConverterLost{208, "Преобразователь USB-RS485 потерян."};
inline constexpr TMessage kMsgGoNoConverter{209, "Нет ни одного преобразователя USB-RS485."};
inline constexpr TMessage kMsgGoConverterGone{
    210, "Модули отвечали через преобразователь, которого больше нет:"};
inline constexpr TMessage kMsgGoConverterTodo{211, "Подключите преобразователь и повторите поиск (F10)."};
inline constexpr TMessage kMsgGoMemoryStale{
    212, "Память модулей не содержит этот сценарий (не записан или не проверен):"};
inline constexpr TMessage kMsgGoMemoryTodo{213, "Запишите сценарий (F8) и проверьте его (F9)."};
inline constexpr TMessage kMsgGoNoSoundtrack{214, "Фонограмма не загружена."};
inline constexpr TMessage kMsgGoShortSoundtrack{215, "Фонограмма короче шоу:"};
inline constexpr TMessage kMsgGoSoundtrackTodo{216, "Загрузите фонограмму шоу (F3)."};
inline constexpr TMessage kMsgGoBeforeZero{217, "Команд до 0:"};
inline constexpr TMessage kMsgGoBeforeZeroTodo{
    218, "Запуск с 0 их пропустит: поставьте точку начала на первую команду (F4) или сдвиньте "
         "сценарий."};
inline constexpr TMessage kMsgGoLevelNoGo{219, "СТОП"};
inline constexpr TMessage kMsgGoLevelCaution{220, "Внимание"};
inline constexpr TMessage kMsgGoAllClear{221, "Замечаний нет: шоу готово."};
inline constexpr TMessage kMsgGoSummaryNoGo{222, "Шоу не готово: устраните замечания «СТОП»."};
inline constexpr TMessage kMsgGoSummaryCaution{223, "Есть замечания: решите, начинать ли шоу."};
inline constexpr TMessage kMsgGoPdfName{224, "готовность к шоу"};
inline constexpr TMessage kMsgGoShown{225, "Проверка готовности к шоу, замечаний «СТОП»:"};
inline constexpr TMessage kMsgGoMotorMoves{231, "Моторные модули хранят движения после конца сценария:"};
inline constexpr TMessage kMsgGoMotorMovesTodo{
    232, "Удалите сценарий в пультах (Ctrl+F8), затем запишите его (F8) и проверьте (F9)."};
inline constexpr TMessage kMsgGoMotorMovesUnknown{
    233, "Моторные модули, которые могут хранить движения после конца сценария (память не "
         "удалялась и не проверялась):"};
inline constexpr TMessage kMsgGoMotorMovesUnknownTodo{
    234, "Проверьте сценарий в пультах (F9) или удалите его (Ctrl+F8) и запишите снова (F8)."};
inline constexpr TMessage kMsgGoStartHeld{
    235, "Запуск отложен: закройте окно готовности к шоу и нажмите запуск снова."};
inline constexpr TMessage kMsgTimecodeOutOn{236, "Передача таймкода включена:"};
inline constexpr TMessage kMsgTimecodeOutOff{237, "Передача таймкода выключена"};
inline constexpr TMessage kMsgTimecodeOutFailed{238, "Передача таймкода не удалась:"};
inline constexpr TMessage kMsgStartCalledOff{239, "Запуск отменён: остановка до начала шоу"};
inline constexpr TMessage kMsgShotsNotSent{
    240, "Команды запуска не ушли на линию (преобразователь потерян или нет эха):"};
inline constexpr TMessage kMsgTimecodeUnderDialog{
    241, "Таймкод дошёл до точки начала при открытом окне: запуск отменён, ожидание снято"};
inline constexpr TMessage kMsgEndedBySignal{242, "Программа завершается по сигналу системы:"};
// A lost converter and the waits for a start, the show that runs.
inline constexpr TMessage kMsgWaitEndedConverterLost{
    243, "Ожидание запуска снято: преобразователь потерян. Подключите его и начните снова."};
inline constexpr TMessage kMsgNoWaitWithoutConverter{
    244, "Преобразователь потерян: ожидание запуска не начато. Подключите его и начните снова."};
inline constexpr TMessage kMsgStartCalledOffConverterLost{
    245, "Запуск отменён: преобразователь потерян до начала шоу"};
inline constexpr TMessage kMsgShowOnWithoutConverter{
    246, "Шоу продолжается без преобразователя: команды до его возврата пропускаются"};
inline constexpr TMessage kMsgAutonomousShowWithoutConverter{
    247, "Шоу продолжается без преобразователя: модули играют из памяти, остановка до них не "
         "дойдёт до его возврата"};
inline constexpr TMessage kMsgStopSentAgain{
    248, "Преобразователь вернулся: команда остановки отправлена снова"};
// A module that missed a poll may have been swapped for a spare set to its address.
inline constexpr TMessage kMsgGoModulesSilent{
    249, "Модули не ответили на опрос после поиска (их могли заменить):"};
inline constexpr TMessage kMsgGoModulesSilentTodo{
    250, "Повторите поиск (F10), затем проверьте каналы и сценарий в пультах."};
// A stop a converter did not take.
inline constexpr TMessage kMsgStopNotTaken{
    251, "Команду остановки принял не каждый преобразователь: она повторяется"};
inline constexpr TMessage kMsgStopTakenOnRepeat{
    252, "Команда остановки принята каждым преобразователем после повтора"};
// The program leaves while its stop is still owed.
inline constexpr TMessage kMsgStopOwedWait{
    253, "Команда остановки повторяется, пока модули могут играть из памяти: выход, когда её "
         "примет каждый преобразователь (Ctrl+C — выйти сразу)"};
inline constexpr TMessage kMsgStopNotDelivered{
    254, "Команда остановки не доставлена: её принял не каждый преобразователь"};
inline constexpr TMessage kMsgExitWithStopOwed{
    255, "Команда остановки не доставлена: её принял не каждый преобразователь. Всё равно выйти "
         "из программы?"};
// kvctl's show failed by cues it did not fire, or called off before the start.
inline constexpr TMessage kMsgStartCalledOffSoundtrack{
    256, "Запуск отменён: фонограмма не загружена"};
inline constexpr TMessage kMsgCuesNotFired{257, "Команды сценария не выполнены:"};
inline constexpr TMessage kMsgStartCalledOffWarning{
    258, "Запуск отменён: предупреждение перед запуском не принято"};
// Show-script rows that cannot be read as written.
inline constexpr TMessage kMsgImportExtraFields{
    259, "полей в строке больше, чем столбцов в заголовке (запятая в числе?)"};
inline constexpr TMessage kMsgImportFractionalMs{
    260, "дробное число в столбце миллисекунд (может быть, это секунды?)"};
inline constexpr TMessage kMsgImportPrefireUnit{
    261, "Предзапуск больше 30 с: проверьте единицы его столбца (секунды или миллисекунды; "
         "столбец в миллисекундах назовите, например, \"Prefire (ms)\"). Ни одна строка не "
         "принята. Строка"};

// A motor module put where the show has it after a start point or a timecode jump.
inline constexpr TMessage kMsgMotorPositionSet{262, "Мотор поставлен в положение шоу, пульт:"};
inline constexpr TMessage kMsgMotorPositionNotTaken{
    263, "Мотор не принял положение шоу, его выстрелы могут уйти под другим углом; пульт:"};
inline constexpr TMessage kMsgMotorPositionUnknown{
    264, "Положение мотора после вращения неизвестно, его выстрелы могут уйти под другим углом; "
         "пульт:"};

// The hold-to-fire key ([show] DeadMan): its state on the launch page, and what it ends.
inline constexpr TMessage kMsgDeadManHeld{265, "Ключ удержания: нажат"};
inline constexpr TMessage kMsgDeadManReleased{266, "Ключ удержания: отпущен"};
inline constexpr TMessage kMsgDeadManOff{267, "Ключ удержания: выключен"};
inline constexpr TMessage kMsgDeadManNotHeld{268, "Запуск отменён: ключ удержания не нажат"};
inline constexpr TMessage kMsgDeadManStop{269, "Ключ удержания отпущен: остановка"};
inline constexpr TMessage kMsgDeadManWaitEnded{
    270, "Ожидание запуска снято: ключ удержания отпущен"};

// A slot's scenario reloaded, cleared or replaced: its positions locked out no longer hold.
inline constexpr TMessage kMsgLockoutCleared{
    271, "Блокировка позиций снята: сценарий загружен заново или заменён:"};

// The debug window's clock start would start another station waiting for a start from the bus.
inline constexpr TMessage kMsgDebugTestOtherStation{
    272, "Тест не начат: на шине другая станция управления, запуск часов пультов запустил бы её "
         "шоу. Отключите её от шины."};

// A cue passed over, later than [show] MaxLateMs when its turn came.
inline constexpr TMessage kMsgLateCuePassed{
    273, "Команда сценария пропущена: опоздала больше допустимого ([show] MaxLateMs), пульт:"};
inline constexpr TMessage kMsgTooLate{274, "опоздала больше допустимого"};

// The start button's caption with the space bar as the start key.
inline constexpr TMessage kMsgSpaceStart{275, "<SPACE> Старт"};

// Where the settings were read from and where the record of the run goes.
inline constexpr TMessage kMsgSettingsPlace{276, "Настройки:"};
inline constexpr TMessage kMsgRecordsPlace{277, "Журналы и отчёты:"};

// A run log line that could not be written: the window says so until the program ends.
inline constexpr TMessage kMsgLogNotWritten{278, "Ошибка записи журнала:"};
inline constexpr TMessage kMsgLogLinesKept{
    279, "Журнал не записывается, строки хранятся в памяти и записываются повторно; строк:"};
inline constexpr TMessage kMsgLogGoesOn{280, "Журнал продолжен в файле:"};
inline constexpr TMessage kMsgTimecodeQuality{407, "качество сигнала, %:"};

// Show packages: a part missing or damaged refuses the whole package.
inline constexpr TMessage kMsgPackageUnreadable{281, "Пакет шоу не читается:"};
inline constexpr TMessage kMsgPackagePartMissing{282, "Пакет шоу отклонён: нет части"};
inline constexpr TMessage kMsgPackagePartDamaged{
    283, "Пакет шоу отклонён: контрольная сумма не сходится, часть"};
inline constexpr TMessage kMsgPackageLoaded{284, "Пакет шоу загружен:"};
inline constexpr TMessage kMsgPackageSaved{285, "Шоу сохранено:"};

// The slots' files brought back at start-up.
inline constexpr TMessage kMsgSlotFileGone{286, "Файл слота не найден, слот оставлен пустым:"};
inline constexpr TMessage kMsgSlotFileChanged{
    287, "Файл слота изменён после прошлого запуска. Загрузить его таким, как он есть сейчас?"};
inline constexpr TMessage kMsgSlotRestored{288, "Слот восстановлен:"};
inline constexpr TMessage kMsgSlotNotRestored{289, "Слот оставлен пустым:"};

// A firing report file's fault, told after its FILE:LINE.
inline constexpr TMessage kMsgReportNoHeader{290, "Нет заголовка отчёта о пуске"};
inline constexpr TMessage kMsgReportLineUnreadable{291, "Строка отчёта о пуске не читается"};
inline constexpr TMessage kMsgTimecodeCountdown{408, "до начала:"};
inline constexpr TMessage kMsgTimecodeJoinRefused{
    409, "Таймкод прошёл точку начала до ожидания: запуск отменён, ожидание снято "
         "(вход в идущее шоу: [timecode] JoinLate=1); слышно:"};

// In autonomous control the modules fire from memory, which holds no charges.
inline constexpr TMessage kMsgChargesInTurn{
    292, "Высоковольтные пульты с разными зарядами выстрелов: в автономном управлении каждый "
         "выстрел из памяти получит заряд первого, пульты:"};
inline constexpr TMessage kMsgChargesInTurnTodo{
    293, "Запускайте эти пульты в прямом управлении."};
inline constexpr TMessage kMsgStartRefused{294, "Запуск отменён:"};

// kvctl's and kvfield's command lines: the help's headings, the usage errors and where help is.
// %1, %2, %3 stand for the names and values filled in.
inline constexpr TMessage kMsgCliUsage{295, "использование"};
inline constexpr TMessage kMsgCliOptions{296, "Параметры"};
inline constexpr TMessage kMsgCliPositionals{297, "Аргументы"};
inline constexpr TMessage kMsgCliCommands{298, "Команды"};
inline constexpr TMessage kMsgCliRequiredMark{299, "ОБЯЗАТЕЛЕН"};
inline constexpr TMessage kMsgCliSee{300, "справка:"};
inline constexpr TMessage kMsgCliThisHelp{301, "эта справка"};
inline constexpr TMessage kMsgCliUnknownCommand{302, "неизвестная команда"};
inline constexpr TMessage kMsgCliNoSuchCommand{303, "нет команды"};
inline constexpr TMessage kMsgCliCommandRequired{304, "не указана команда"};
inline constexpr TMessage kMsgCliArgumentRequired{305, "%1: не указан"};
inline constexpr TMessage kMsgCliNotExpected{306, "лишние аргументы: %1"};
inline constexpr TMessage kMsgCliValueMissing{307, "%1: нет значения"};
inline constexpr TMessage kMsgCliValueCount{308, "%1: нужно значений: %2, дано: %3"};
inline constexpr TMessage kMsgCliValueRefused{309, "%1: значение не подходит: %2"};
inline constexpr TMessage kMsgCliExcludes{310, "%1 несовместим с %2"};
inline constexpr TMessage kMsgCliRequires{311, "%1 требует %2"};
inline constexpr TMessage kMsgCliWrongLine{312, "ошибка в командной строке:"};
inline constexpr TMessage kMsgCliRange{313, "от %1 до %2"};
inline constexpr TMessage kMsgCliOutside{314, "%1 вне диапазона %2"};
inline constexpr TMessage kMsgCliNotOneOf{315, "%1 не из списка: %2"};
inline constexpr TMessage kMsgCliNotWholeNumber{316, "не целое число:"};
inline constexpr TMessage kMsgCliTempoRange{317, "%1 промилле или от %2% до %3%"};
inline constexpr TMessage kMsgCliNotTempo{318, "не темп:"};
inline constexpr TMessage kMsgCliNotAddress{319, "не адрес на шине (от 0 до 255):"};
inline constexpr TMessage kMsgCliNotHexByte{320, "не байт в шестнадцатеричной записи:"};
inline constexpr TMessage kMsgCliNotAddressList{
    321, "не список адресов и диапазонов от 0 до 255, как 0-20,240-255:"};
inline constexpr TMessage kMsgCliNotFrameRate{
    322, "не частота кадров (больше 0 до 1000) и не 29.97df:"};
inline constexpr TMessage kMsgCliNotTimecodeLabel{323, "не метка таймкода HH:MM:SS:FF:"};
inline constexpr TMessage kMsgCliNotTimecodeRate{324, "не частота таймкода (%1):"};

// kvctl --help: what kvctl is, its options and commands.
inline constexpr TMessage kMsgCtlAbout{
    325, "kvctl: механизм пульта из командной строки, для сценариев оболочки."};
inline constexpr TMessage kMsgCtlVersionHelp{326, "версия, сборка и где настройки и журналы"};
inline constexpr TMessage kMsgCtlPortHelp{
    327, "auto: все найденные преобразователи USB-RS485; PATH[,PATH...]: эти устройства в этом порядке; sim:FILE: модель установки, описанная в FILE"};
inline constexpr TMessage kMsgCtlSettingsHelp{
    328, "файл настроек (по умолчанию kvshow.ini рядом с программой)"};
inline constexpr TMessage kMsgCtlYesHelp{329, "отвечать «да» на все вопросы"};
inline constexpr TMessage kMsgCtlFrameHelp{
    330, "семь байтов кадра на линии: шесть данных и контрольный"};
inline constexpr TMessage kMsgCtlFrameBytesHelp{
    331, "шесть байтов в шестнадцатеричной записи, 0x не обязателен"};
inline constexpr TMessage kMsgCtlScenarioHelp{
    332, "команды сценария, по одной в строке, по времени"};
inline constexpr TMessage kMsgCtlReportHelp{
    333, "итоги отчёта о пуске: опоздания, выстрелы раньше времени, пропуски по причинам"};
inline constexpr TMessage kMsgCtlReportFileHelp{334, "отчёт о пуске, записанный при шоу"};
inline constexpr TMessage kMsgCtlLogHelp{335, "журнал работы в UTF-8"};
inline constexpr TMessage kMsgCtlLogFileHelp{336, "журнал работы"};
inline constexpr TMessage kMsgCtlSearchHelp{
    337, "найденные устройства, по одному в строке, по адресам"};
inline constexpr TMessage kMsgCtlWriteHelp{338, "записать сценарий в память пультов (F8)"};
inline constexpr TMessage kMsgCtlVerifyHelp{339, "сравнить память пультов со сценарием (F9)"};
inline constexpr TMessage kMsgCtlRemoteHelp{340, "память ПДУ(Р) (Shift+F8, Shift+F9)"};
inline constexpr TMessage kMsgCtlEraseHelp{341, "удалить сценарий во всех пультах (Ctrl+F8)"};
inline constexpr TMessage kMsgCtlBlackBoxHelp{
    342, "прочитать «чёрный ящик» каждого пульта (Ctrl+F9)"};
inline constexpr TMessage kMsgCtlBlackBoxFileHelp{343, "записываемый файл, .DAT добавляется"};
inline constexpr TMessage kMsgCtlReaddressHelp{344, "дать пульту с номером OLD номер NEW"};
inline constexpr TMessage kMsgCtlOldAddressHelp{345, "его номер сейчас"};
inline constexpr TMessage kMsgCtlNewAddressHelp{346, "его новый номер, от 1 до 239"};
inline constexpr TMessage kMsgCtlModeHelp{
    347, "все найденные пульты в режим пуска (F12) или теста (F11)"};
inline constexpr TMessage kMsgCtlModeValueHelp{348, "fire (пуск) или test (тест)"};
inline constexpr TMessage kMsgCtlHVHelp{
    349, "прочитать или задать уставку энергии заряда высоковольтного пульта"};
inline constexpr TMessage kMsgCtlHVModuleHelp{350, "пульт"};
inline constexpr TMessage kMsgCtlEnergyHelp{351, "записываемая уставка, затем прочитанная обратно"};
inline constexpr TMessage kMsgCtlHelpHelp{352, "эта справка или справка команды"};
inline constexpr TMessage kMsgCtlHelpTopicHelp{353, "команда"};
inline constexpr TMessage kMsgCtlScenarioFileHelp{354, "файл сценария или пакет шоу (.kvshow)"};
inline constexpr TMessage kMsgCtlAddressesHelp{
    355, "адреса на шине и диапазоны, опрашиваемые в этом порядке (по умолчанию один круг поиска, 240-254,255,0-239)"};
inline constexpr TMessage kMsgCtlControlHelp{
    356, "direct: пульт ПК выдаёт каждую команду; autonomous: пульты стреляют по своей памяти"};
inline constexpr TMessage kMsgCtlJsonHelp{
    357, "один объект JSON для сценариев оболочки (docs/kvctl.md)"};
inline constexpr TMessage kMsgCtlTempoHelp{
    358, "темп: в промилле (1000 = 100 %) или в процентах со знаком % (по умолчанию из пакета, иначе 1000)"};
inline constexpr TMessage kMsgCtlOffsetHelp{359, "смещение, мс (по умолчанию из пакета, иначе 0)"};
inline constexpr TMessage kMsgCtlLockHelp{
    360, "заблокированные позиции: их команды пропускаются (Ctrl+L)"};
inline constexpr TMessage kMsgCtlPackHelp{
    361, "пакет шоу: сценарий, фонограмма и настройки шоу в одном файле .kvshow, каждая часть с контрольной суммой"};
inline constexpr TMessage kMsgCtlPackScenarioHelp{362, "файл сценария"};
inline constexpr TMessage kMsgCtlPackOutHelp{363, "записываемый пакет"};
inline constexpr TMessage kMsgCtlSoundtrackHelp{364, "фонограмма шоу"};
inline constexpr TMessage kMsgCtlTestHelp{
    365, "тест каналов указанных пультов (всех, если не указаны), затем список подключенных каналов"};
inline constexpr TMessage kMsgCtlTestModulesHelp{366, "проверяемые пульты"};
inline constexpr TMessage kMsgCtlTestScenarioHelp{
    367, "затем каналы этого сценария, которые не выстрелят"};
inline constexpr TMessage kMsgCtlGoNoGoHelp{368, "что мешает шоу, самое важное первым"};
inline constexpr TMessage kMsgCtlImportHelp{
    369, "сценарий шоу программы проектирования в файл сценария"};
inline constexpr TMessage kMsgCtlScriptHelp{370, "сценарий шоу"};
inline constexpr TMessage kMsgCtlScenarioOutHelp{371, "записываемый файл сценария"};
inline constexpr TMessage kMsgCtlFormatHelp{372, "формат сценария шоу (по умолчанию распознаётся)"};
inline constexpr TMessage kMsgCtlRailSizeHelp{373, "каналов в рейке"};
inline constexpr TMessage kMsgCtlFpsHelp{
    374, "частота кадров формата frames; метки 29.97 считаются без пропуска кадров, 29.97df с пропуском"};
inline constexpr TMessage kMsgCtlPartialHelp{
    375, "записать принятые строки, даже если часть отклонена"};
inline constexpr TMessage kMsgCtlShowHelp{
    376, "отстрелять шоу, как автоматический пуск пульта, до конца или остановки"};
inline constexpr TMessage kMsgCtlFromHelp{377, "точка запуска, мс времени шоу"};
inline constexpr TMessage kMsgCtlTraceHelp{378, "все отправленные и принятые кадры, в этот файл"};
inline constexpr TMessage kMsgCtlReportOutHelp{379, "отчёт о пуске, также записываемый сюда"};
inline constexpr TMessage kMsgCtlTcInFpsHelp{
    380, "частота входящего таймкода (по умолчанию из пакета, иначе [timecode] Rate)"};
inline constexpr TMessage kMsgCtlTcInZeroHelp{
    381, "входящая метка времени шоу 0 (по умолчанию из пакета, иначе [timecode] Zero)"};
inline constexpr TMessage kMsgCtlTcInHelp{
    382, "ждать во взведённом состоянии, пока таймкод с этого источника PulseAudio не дойдёт до точки запуска, затем следовать ему"};
inline constexpr TMessage kMsgCtlTcOutHelp{
    383, "выдавать время шоу таймкодом в этот приёмник PulseAudio (soundtrack: в правый канал фонограммы)"};
inline constexpr TMessage kMsgCtlTcOutFpsHelp{
    384, "частота выдаваемого таймкода (по умолчанию [timecode] OutputRate)"};
inline constexpr TMessage kMsgCtlTcOutZeroHelp{
    385, "метка, выдаваемая для времени шоу 0 (по умолчанию [timecode] OutputZero)"};

// kvctl --help: the exit statuses, each after its number.
inline constexpr TMessage kMsgCtlExitStatus{386, "Код завершения:"};
inline constexpr TMessage kMsgCtlExitDone{387, "выполнено; gonogo: готово к шоу"};
inline constexpr TMessage kMsgCtlExitFailed{
    388, "операция не удалась, отклонена, получен ответ «нет» или она остановлена; gonogo: не готово или проверка невозможна; ошибка во входном файле (FILE:LINE: причина в stderr)"};
inline constexpr TMessage kMsgCtlExitUsage{389, "ошибка в командной строке"};
inline constexpr TMessage kMsgCtlExitNoField{
    390, "установка недоступна: преобразователь не открыт или не найден, или потеряны все преобразователи"};
inline constexpr TMessage kMsgCtlQuestions{
    391, "Вопросы задаются в stderr, ответы читаются из stdin: продолжает только y."};
inline constexpr TMessage kMsgCtlCommandHelpHint{
    392, "kvctl COMMAND --help: аргументы и параметры команды."};

// kvctl --version
inline constexpr TMessage kMsgCtlBuild{393, "сборка:"};
inline constexpr TMessage kMsgCtlCompiler{394, "компилятор"};
inline constexpr TMessage kMsgCtlOtherSettings{395, "(другой файл: --settings FILE)"};
inline constexpr TMessage kMsgCtlLogsElsewhere{396, "или, если туда нельзя писать,"};

// kvctl's own errors.
inline constexpr TMessage kMsgCtlModeNotTaken{397, "%1: режим %2 не принят"};
inline constexpr TMessage kMsgCtlNoFiringModule{398, "пульты не найдены"};
inline constexpr TMessage kMsgCtlNoFiringModuleAt{399, "нет пульта с номером"};
inline constexpr TMessage kMsgCtlNoHVModuleAt{400, "нет высоковольтного пульта с номером"};
inline constexpr TMessage kMsgCtlNotWritten{401, "файл не записывается:"};
inline constexpr TMessage kMsgCtlNotAPosition{402, "%1: %2 — нет такой позиции в %3"};
inline constexpr TMessage kMsgCtlLogInMemory{403, "строки пока хранятся в памяти"};

// kvfield --help
inline constexpr TMessage kMsgFieldAbout{
    404, "kvfield: модель установки на псевдотерминалах, по одному на преобразователь; их пути в stdout, по одному в строке, протокол установки в stderr. Выход: Ctrl+C."};
inline constexpr TMessage kMsgFieldVersionHelp{405, "версия"};
inline constexpr TMessage kMsgFieldFileHelp{406, "описание установки (share/README-field.md)"};

// kvctl pack keeps these in the package it makes.
inline constexpr TMessage kMsgCtlPackTempoHelp{
    410, "темп, сохраняемый в пакете: в промилле (1000 = 100 %) или в процентах со знаком % (по умолчанию 1000)"};
inline constexpr TMessage kMsgCtlPackOffsetHelp{411, "смещение, сохраняемое в пакете, мс (по умолчанию 0)"};
inline constexpr TMessage kMsgCtlPackTcInFpsHelp{
    412, "частота входящего таймкода, сохраняемая в пакете (без неё пакет её не задаёт)"};
inline constexpr TMessage kMsgCtlPackTcInZeroHelp{
    413, "входящая метка времени шоу 0, сохраняемая в пакете (без неё пакет её не задаёт)"};
// The settings window refused while the console is busy.
inline constexpr TMessage kMsgSettingsRefused{
    414, "Настройки не открыты: идёт шоу, ожидание запуска, поиск, тест каналов или операция "
         "с памятью"};

// Values of the settings window that would switch a safety check off or mean nothing.
inline constexpr TMessage kMsgSettingsThresholds{
    415, "Пороги сопротивления: нужно 0,1 ≤ нижний < средний < верхний ≤ 10000 Ом"};
inline constexpr TMessage kMsgSettingsMaxLate{416, "Допустимое опоздание команды: от 50 до 10000 мс"};
inline constexpr TMessage kMsgSettingsKeyTaken{
    417, "Клавиша занята пультом; для старта и ключа удержания: F5 (только старт), пробел, "
         "F13–F24, цифры цифрового блока; старт и ключ удержания разные"};

// The key field waiting for the key to set.
inline constexpr TMessage kMsgSettingsPressKey{418, "Нажмите клавишу… (Esc: отмена)"};
inline constexpr TMessage kMsgSettingsKeyOff{419, "выключен"};

// The settings written, or not, and what waits for a restart.
inline constexpr TMessage kMsgSettingsNotWritten{420, "Настройки не записаны:"};
inline constexpr TMessage kMsgSettingsWritten{421, "Настройки записаны:"};
inline constexpr TMessage kMsgSettingsAtRestart{
    422, "Вступит в силу после перезапуска программы:"};

// The language list's first entry: the system's language.
inline constexpr TMessage kMsgLanguageSystem{423, "как в системе"};

// The timecode source list's first entry: the sound server's default source.
inline constexpr TMessage kMsgTimecodeSourceDefault{424, "по умолчанию сервера"};

// The timecode zero and rate a wait takes: a show package's, or the settings'.
inline constexpr TMessage kMsgTimecodeZeroInUse{425, "Ноль таймкода шоу:"};
inline constexpr TMessage kMsgTimecodeZeroOfPackage{426, "из пакета шоу"};
inline constexpr TMessage kMsgTimecodeZeroOfSettings{427, "из настроек"};

// A show's threads or memory that the system would not give what they asked: the show runs
// as it is. Followed by the system's reason.
inline constexpr TMessage kMsgRealTimeRefused{
    428, "Приоритет реального времени не разрешён системой, шоу идёт с обычным приоритетом:"};
inline constexpr TMessage kMsgMemoryLockRefused{
    429, "Закрепление памяти в ОЗУ не разрешено системой, шоу идёт без него:"};

// A bus command the show does not wait on went wrong: followed by the module or the show
// time, and the result in the operator's words.
inline constexpr TMessage kMsgChargeNotSet{430, "Заряд не установлен, пульт:"};
inline constexpr TMessage kMsgHighVoltageNotOff{431, "Высокое напряжение не выключено, пульт:"};
inline constexpr TMessage kMsgClockNotSent{432, "Время не передано пультам, время:"};
inline constexpr TMessage kMsgStartNoticeNotSent{433, "Извещение о запуске не передано, время:"};
inline constexpr TMessage kMsgStopNoticeNotSent{434, "Извещение об остановке не передано, время:"};
inline constexpr TMessage kMsgDebugTestUnfoundNotSet{
    435, "Тест не начат: команда режима теста не передана на адреса без найденных пультов."};

// A standby station: the primary's show went silent, and this station goes on with it at the
// time it predicts; or it does not, the primary's control mode not being its own.
inline constexpr TMessage kMsgStandbyTakesOver{
    436, "Основная станция молчит, шоу продолжает резервная станция, время:"};
inline constexpr TMessage kMsgStandbyModeDiffers{
    437, "Основная станция молчит, шоу не продолжено: режим управления основной станции другой"};
// The firing report's count of cues the other station of a standby pair fired.
inline constexpr TMessage kMsgReportElsewhere{438, "Выполнено другой станцией:"};
// What a standby station hears of the primary, for its run log.
inline constexpr TMessage kMsgStandbyArmed{
    439, "Резервная станция следит за основной, шоу продолжается после её молчания, мс:"};
inline constexpr TMessage kMsgStandbyHeardRunning{440, "Основная станция ведёт шоу, станция:"};
inline constexpr TMessage kMsgStandbyHeardStopped{441, "Основная станция остановила шоу, станция:"};
inline constexpr TMessage kMsgStandbyStrayShot{
    442, "Основная станция выстрелила не по этому шоу, пульт/канал:"};
inline constexpr TMessage kMsgStandbySameShowUnchecked{
    443, "По шине нельзя проверить, что основная станция ведёт это же шоу. Шоу то же?"};
inline constexpr TMessage kMsgStandbyModeDiffersNow{
    444, "Режим управления основной станции другой: резервная станция шоу не продолжит"};
inline constexpr TMessage kMsgStandbyDisarmed{445, "Резервная станция больше не следит за основной"};
inline constexpr TMessage kMsgCtlStandbyHelp{
    446, "резервная станция: следить за шоу основной станции и продолжить его, если она замолчит"};
inline constexpr TMessage kMsgCtlPrimaryHelp{
    447, "номер основной станции (по умолчанию та, что начнёт шоу)"};
inline constexpr TMessage kMsgCtlTakeoverHelp{448, "молчание основной станции до продолжения шоу, мс"};
// The primary, back from a hold-up, finds its standby running the show: it stops sending
// anything, a stop included. Followed by the standby's station number.
inline constexpr TMessage kMsgGaveShowToStandby{
    449, "Шоу ведёт резервная станция: эта станция остановлена без команды остановки, станция:"};
// The console as a standby: silent primary under a dialog, the go/no-go line, the launch
// page's line.
inline constexpr TMessage kMsgStandbyUnderDialog{
    450, "Основная станция молчит, шоу не продолжено: у резервной станции было открыто окно"};
inline constexpr TMessage kMsgGoStandbyUnchecked{
    451, "Резерв: что основная станция ведёт это же шоу, по шине проверить нельзя."};
inline constexpr TMessage kMsgGoStandbyTodo{
    452, "Сверьте с оператором основной станции пакет шоу, темп, смещение и режим управления."};
inline constexpr TMessage kMsgStandbyIndicator{453, "Резерв:"};
inline constexpr TMessage kMsgStandbyAwaitsShow{454, "ждёт шоу основной станции"};
inline constexpr TMessage kMsgStandbyFollowsShow{455, "следит за шоу основной станции, станция:"};
inline constexpr TMessage kMsgStandbyRunsShow{456, "шоу ведёт эта станция"};
inline constexpr TMessage kMsgStandbyNewStationId{
    457, "Другая станция на шине с тем же номером: резервная станция берёт номер"};

}  // namespace kv
