#pragma once

#include <QString>

class DemoRandom;

/// Russian full names for the demo employees, drawn from fixed lists.
class DemoNames
{
public:
    struct Person
    {
        QString lastName;
        QString firstName;
        QString middleName;
        bool female = false;

        QString fullName() const { return lastName + QLatin1Char(' ') + firstName + QLatin1Char(' ') + middleName; }
        /// "Фамилия И. О."
        QString shortName() const;
    };

    static Person person(DemoRandom& random);
};
