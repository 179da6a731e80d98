#include "demonames.h"

#include "demorandom.h"

#include <QStringList>

namespace {

// Every surname ends in -ов, -ев, -ёв or -ин, so the feminine form just appends "а".
const QStringList& lastNames()
{
    static const QStringList names = QStringLiteral(
        "Иванов Смирнов Кузнецов Попов Васильев Петров Соколов Михайлов Новиков Фёдоров Морозов Волков "
        "Алексеев Лебедев Семёнов Егоров Павлов Козлов Степанов Николаев Орлов Андреев Макаров Никитин "
        "Захаров Зайцев Соловьёв Борисов Яковлев Григорьев Романов Воробьёв Сергеев Кузьмин Фролов "
        "Александров Дмитриев Королёв Гусев Киселёв Ильин Максимов Поляков Сорокин Виноградов Ковалёв "
        "Белов Медведев Антонов Тарасов Жуков Баранов Филиппов Комаров Давыдов Беляев Герасимов Богданов "
        "Осипов Сидоров Матвеев Титов Марков Миронов Крылов Куликов Карпов Власов Мельников Денисов")
                                          .split(QLatin1Char(' '));
    return names;
}

const QStringList& maleFirstNames()
{
    static const QStringList names = QStringLiteral(
        "Александр Дмитрий Максим Сергей Андрей Алексей Артём Илья Кирилл Михаил Никита Иван Егор Роман "
        "Павел Владимир Николай Олег Евгений Константин Денис Антон Виктор Григорий")
                                          .split(QLatin1Char(' '));
    return names;
}

const QStringList& femaleFirstNames()
{
    static const QStringList names = QStringLiteral(
        "Анна Мария Елена Ольга Наталья Татьяна Екатерина Ирина Светлана Юлия Анастасия Дарья Ксения "
        "Виктория Марина Полина Алина Вера Людмила Галина Софья Валерия Евгения Надежда")
                                          .split(QLatin1Char(' '));
    return names;
}

// Patronymics in pairs: masculine, feminine.
const QStringList& middleNames()
{
    static const QStringList names = QStringLiteral(
        "Александрович Александровна Дмитриевич Дмитриевна Сергеевич Сергеевна Андреевич Андреевна "
        "Алексеевич Алексеевна Михайлович Михайловна Иванович Ивановна Владимирович Владимировна "
        "Николаевич Николаевна Павлович Павловна Игоревич Игоревна Юрьевич Юрьевна Олегович Олеговна "
        "Викторович Викторовна Петрович Петровна Евгеньевич Евгеньевна Анатольевич Анатольевна")
                                          .split(QLatin1Char(' '));
    return names;
}

QString pick(DemoRandom& random, const QStringList& names)
{
    return names.at(random.index(names.size()));
}

} // namespace

QString DemoNames::Person::shortName() const
{
    return QStringLiteral("%1 %2. %3.").arg(lastName, firstName.left(1), middleName.left(1));
}

DemoNames::Person DemoNames::person(DemoRandom& random)
{
    Person result;
    result.female = random.chance(55);
    result.lastName = pick(random, lastNames());
    if (result.female)
        result.lastName += QStringLiteral("а");
    result.firstName = pick(random, result.female ? femaleFirstNames() : maleFirstNames());
    const int father = random.index(middleNames().size() / 2);
    result.middleName = middleNames().at(father * 2 + (result.female ? 1 : 0));
    return result;
}
