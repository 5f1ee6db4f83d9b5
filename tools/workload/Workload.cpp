#include "tools/workload/Workload.h"

#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <stdexcept>

namespace vornelta::workload {

namespace {

constexpr size_t kMinTextLength = 40;
constexpr size_t kMaxTextLength = 600;
constexpr double kWordPrice = 5.5;
constexpr uint32_t kWhite = 16777215;
constexpr uint32_t kHighlightColours[] = {255, 65535, 33023, 32768};

std::string cp1251(std::string_view utf8) {
    std::string out;
    if (!dorod::win1251::fromUtf8(utf8, out))
        throw std::logic_error("workload word list holds a character outside Windows-1251");
    return out;
}

using Words = std::vector<std::string>;

Words words(std::initializer_list<const char*> utf8) {
    Words out;
    out.reserve(utf8.size());
    for (const char* w : utf8)
        out.push_back(cp1251(w));
    return out;
}

// Every piece of text the generator uses, converted to Windows-1251 once.
struct Lexicon {
    // Value lists.
    const TValueList& clientCats = clientCategoryValues();
    const TValueList& oplata = paymentMethodValues();
    const TValueList& objCats = subjectCategoryValues();
    const std::string& type = announcementTypeValue();

    // Clients.
    Words maleSurnames =
        words({"ИВАНОВ",      "ПЕТРОВ",   "СИДОРОВ",    "КУЗНЕЦОВ",   "СМИРНОВ",  "ПОПОВ",
               "ВАСИЛЬЕВ",    "СОКОЛОВ",  "МИХАЙЛОВ",   "НОВИКОВ",    "ФЕДОРОВ",  "МОРОЗОВ",
               "ВОЛКОВ",      "АЛЕКСЕЕВ", "ЛЕБЕДЕВ",    "СЕМЕНОВ",    "ЕГОРОВ",   "ПАВЛОВ",
               "КОЗЛОВ",      "СТЕПАНОВ", "НИКОЛАЕВ",   "ОРЛОВ",      "АНДРЕЕВ",  "МАКАРОВ",
               "НИКИТИН",     "ЗАХАРОВ",  "ЗАЙЦЕВ",     "СОЛОВЬЕВ",   "БОРИСОВ",  "ЯКОВЛЕВ",
               "ГРИГОРЬЕВ",   "РОМАНОВ",  "ВОРОБЬЕВ",   "СЕРГЕЕВ",    "КУЗЬМИН",  "ФРОЛОВ",
               "АЛЕКСАНДРОВ", "ДМИТРИЕВ", "КОРОЛЕВ",    "ГУСЕВ",      "КИСЕЛЕВ",  "ИЛЬИН",
               "МАКСИМОВ",    "ПОЛЯКОВ",  "СОРОКИН",    "ВИНОГРАДОВ", "КОВАЛЕВ",  "БЕЛОВ",
               "МЕДВЕДЕВ",    "АНТОНОВ",  "ТАРАСОВ",    "ЖУКОВ",      "БАРАНОВ",  "ФИЛИППОВ",
               "КОМАРОВ",     "ДАВЫДОВ",  "БЕЛЯЕВ",     "ГЕРАСИМОВ",  "БОГДАНОВ", "ОСИПОВ",
               "СИДОРЕНКО",   "ШЕВЧЕНКО", "БОНДАРЕНКО", "ТКАЧЕНКО"});
    Words maleNames =
        words({"АЛЕКСАНДР", "СЕРГЕЙ", "ВЛАДИМИР", "АНДРЕЙ",   "АЛЕКСЕЙ", "НИКОЛАЙ", "ДМИТРИЙ",
               "ЮРИЙ",      "ВИКТОР", "ИГОРЬ",    "ОЛЕГ",     "МИХАИЛ",  "ЕВГЕНИЙ", "ВАЛЕРИЙ",
               "АНАТОЛИЙ",  "ПАВЕЛ",  "ИВАН",     "ГЕННАДИЙ", "ВАСИЛИЙ", "РОМАН"});
    Words femaleNames =
        words({"ЕЛЕНА",   "ОЛЬГА",  "ТАТЬЯНА", "НАТАЛЬЯ",   "ИРИНА",  "СВЕТЛАНА",  "ГАЛИНА",
               "ЛЮДМИЛА", "МАРИНА", "НАДЕЖДА", "ВАЛЕНТИНА", "ЛЮБОВЬ", "ЕКАТЕРИНА", "АННА",
               "ЮЛИЯ",    "ОКСАНА", "НИНА",    "ВЕРА",      "ТАМАРА", "ЛАРИСА"});
    Words patronymicStems = words(
        {"АЛЕКСАНДРОВ", "СЕРГЕЕВ",  "ВЛАДИМИРОВ", "АНДРЕЕВ",   "АЛЕКСЕЕВ",  "НИКОЛАЕВ", "ДМИТРИЕВ",
         "ЮРЬЕВ",       "ВИКТОРОВ", "ИГОРЕВ",     "ОЛЕГОВ",    "МИХАЙЛОВ",  "ЕВГЕНЬЕВ", "ПАВЛОВ",
         "ИВАНОВ",      "ПЕТРОВ",   "ВАСИЛЬЕВ",   "ГЕННАДЬЕВ", "АНАТОЛЬЕВ", "БОРИСОВ"});
    std::string maleEnding = cp1251("ИЧ");
    std::string femaleEnding = cp1251("НА");
    std::string femaleSurnameEnding = cp1251("А");
    std::string unchangingSurnameEnding = cp1251("ЕНКО");
    Words companyKinds = words({"ООО", "ЗАО", "ОАО", "МУП", "ТОО"});
    Words companyNames =
        words({"СТРОЙМАСТЕР", "ТЕХНОСЕРВИС",    "УРАЛАВТО",    "ВЕКТОР",       "АЛЬЯНС",
               "ЭНЕРГИЯ",     "МЕГАПОЛИС",      "СИБИРЬ",      "ДОМОСТРОЙ",    "ФОРТУНА",
               "ГАРАНТ",      "МАГИСТРАЛЬ",     "КОМФОРТ",     "СТРОЙИНВЕСТ",  "АВТОЛАЙН",
               "ВОДОКАНАЛ",   "ТЕПЛОСЕТЬ",      "ГОРГАЗ",      "МЕБЕЛЬ-ЦЕНТР", "ОКНА ПЛЮС",
               "АГРОПРОМ",    "ЛЕСТОРГ",        "МОЛОКО",      "ХЛЕБОЗАВОД",   "ТЕЛЕКОМ",
               "ЭЛЕКТРОН",    "ЗОЛОТОЙ КЛЮЧИК", "РИЭЛТ-ЦЕНТР", "НОВЫЙ ДОМ",    "ТРАНССЕРВИС"});
    std::string entrepreneur = cp1251("ИП");
    std::string quote = "\"";

    // Passports.
    Words issuers = words({"ОВД Ленинского р-на", "ОВД Октябрьского р-на", "ОВД Центрального р-на",
                           "ОВД Советского р-на", "УВД г. Златогорска", "ОУФМС по Северному р-ну",
                           "ТП УФМС в пос. Заречный", "ГОВД г. Златогорска"});
    std::string issued = cp1251("выдан");
    std::string inn = cp1251("ИНН");
    std::string kpp = cp1251("КПП");

    // Announcement texts.
    Words realtyVerbs = words({"Продам", "Продам", "Продам", "Сдам", "Сдам", "Куплю", "Сниму",
                               "Меняю", "Срочно продам", "Недорого продам"});
    Words realtyObjects =
        words({"1-комн. кв.", "2-комн. кв.", "3-комн. кв.", "4-комн. кв.", "2-комн. квартиру",
               "1-комн. квартиру улучш. план.", "комнату в общежитии", "комнату в 3-комн. кв.",
               "дом с участком", "полдома", "дачу", "садовый участок", "гараж", "капитальный гараж",
               "земельный участок 10 соток", "коттедж", "помещение под офис", "торговую площадь"});
    Words realtyPlaces = words(
        {"в центре",      "ул. Ленина",     "ул. Советская", "ул. Мира",          "пр. Победы",
         "мкр. Северный", "р-н вокзала",    "ул. Гагарина",  "ул. Кирова",        "ул. Молодежная",
         "ул. Пушкина",   "ул. Строителей", "пос. Заречный", "р-н рынка",         "ул. Садовая",
         "ул. Лесная",    "ул. Набережная", "р-н школы № 5", "ул. Комсомольская", "ул. 8 Марта"});
    Words realtyDetails = words({"евроремонт",
                                 "с мебелью",
                                 "балкон застеклен",
                                 "счетчики",
                                 "стеклопакеты",
                                 "теплая",
                                 "солнечная",
                                 "в хорошем состоянии",
                                 "на длительный срок",
                                 "посуточно",
                                 "семье без животных",
                                 "документы готовы",
                                 "чистая продажа",
                                 "рассмотрю варианты",
                                 "кирпичный дом",
                                 "панельный дом",
                                 "лоджия",
                                 "телефон",
                                 "кабельное ТВ",
                                 "большая кухня",
                                 "раздельный санузел",
                                 "железная дверь",
                                 "ламинат",
                                 "встроенная кухня",
                                 "рядом школа и детский сад",
                                 "удобная транспортная развязка",
                                 "окна во двор",
                                 "не угловая",
                                 "газ, вода, свет",
                                 "баня, скважина",
                                 "возможна ипотека",
                                 "материнский капитал",
                                 "без посредников",
                                 "агентствам не беспокоить",
                                 "предоплата за месяц",
                                 "оплата гарантируется"});
    Words carVerbs = words({"Продам", "Продам", "Продам", "Куплю", "Срочно продам", "Меняю"});
    Words carModels =
        words({"ВАЗ-2106",       "ВАЗ-2107",       "ВАЗ-2109",       "ВАЗ-21099",
               "ВАЗ-2110",       "ВАЗ-2114",       "Ладу Калину",    "Ладу Приору",
               "Ниву",           "Ниву Шевроле",   "ГАЗ-3110 Волга", "ГАЗель",
               "УАЗ-469",        "УАЗ Буханку",    "Москвич-2141",   "ИЖ-Оду",
               "Daewoo Nexia",   "Daewoo Matiz",   "Toyota Corolla", "Opel Astra",
               "Ford Focus",     "Renault Logan",  "Hyundai Accent", "Mitsubishi Lancer",
               "КамАЗ самосвал", "трактор МТЗ-82", "мотоцикл Урал",  "мотоцикл ИЖ Юпитер"});
    Words carDetails = words({"цвет белый",
                              "цвет серебристый",
                              "цвет вишня",
                              "цвет черный",
                              "литые диски",
                              "резина зима-лето",
                              "в отличном состоянии",
                              "не битая",
                              "один хозяин",
                              "гаражное хранение",
                              "автомобиль на ходу",
                              "на запчасти",
                              "сигнализация",
                              "магнитола",
                              "кондиционер",
                              "гидроусилитель руля",
                              "стеклоподъемники",
                              "ГУР",
                              "инжектор",
                              "карбюратор",
                              "фаркоп",
                              "газ-бензин",
                              "новый аккумулятор",
                              "торг уместен",
                              "рассмотрю обмен",
                              "возможен кредит",
                              "ПТС оригинал",
                              "все документы в порядке",
                              "салон чистый",
                              "не гнилая"});
    Words services = words({"Ремонт квартир под ключ",
                            "Грузоперевозки, ГАЗель, грузчики",
                            "Ремонт холодильников и стиральных машин на дому",
                            "Ремонт телевизоров",
                            "Натяжные потолки",
                            "Пластиковые окна",
                            "Установка спутниковых антенн",
                            "Репетитор по математике",
                            "Услуги электрика",
                            "Сантехнические работы",
                            "Вывоз мусора",
                            "Изготовление памятников",
                            "Юридические консультации",
                            "Такси круглосуточно",
                            "Свадебная фотосъемка",
                            "Компьютерная помощь",
                            "Бурение скважин на воду",
                            "Кладка печей и каминов",
                            "Пошив и ремонт одежды",
                            "Шиномонтаж",
                            "Ремонт обуви",
                            "Доставка угля и дров",
                            "Кровельные работы",
                            "Металлические двери и решетки",
                            "Ремонт сотовых телефонов",
                            "Курсы водителей категории B, C",
                            "Массаж на дому",
                            "Маникюр, наращивание ногтей",
                            "Уборка квартир и офисов",
                            "Ритуальные услуги"});
    Words serviceDetails = words({"качественно",
                                  "недорого",
                                  "гарантия",
                                  "пенсионерам скидки",
                                  "выезд мастера бесплатно",
                                  "опыт работы",
                                  "быстро",
                                  "без выходных",
                                  "договор",
                                  "доставка",
                                  "свои материалы",
                                  "любой сложности",
                                  "в удобное для вас время",
                                  "консультация бесплатно",
                                  "работаем по городу и району",
                                  "оплата по факту",
                                  "наличный и безналичный расчет",
                                  "сроки от 1 дня",
                                  "замер бесплатно",
                                  "рассрочка",
                                  "большой выбор",
                                  "звоните",
                                  "ждем вас"});
    Words otherVerbs = words({"Продам", "Продам", "Куплю", "Отдам", "Приму в дар", "Продаю"});
    Words otherObjects = words({"холодильник",
                                "стиральную машину",
                                "диван",
                                "детскую коляску",
                                "шкаф-купе",
                                "телевизор",
                                "компьютер",
                                "сотовый телефон",
                                "пианино",
                                "велосипед",
                                "щенков немецкой овчарки",
                                "котят",
                                "сено",
                                "картофель",
                                "дрова колотые",
                                "уголь",
                                "навоз",
                                "поросят",
                                "кур-несушек",
                                "козу",
                                "мед",
                                "стенку",
                                "кухонный гарнитур",
                                "свадебное платье",
                                "дубленку",
                                "шубу норковую",
                                "швейную машинку",
                                "газовую плиту",
                                "бензопилу",
                                "лодку с мотором",
                                "пиломатериал",
                                "кирпич б/у",
                                "шифер",
                                "металлолом"});
    Words otherDetails = words({"б/у", "в отличном состоянии", "недорого", "новый", "почти новая",
                                "доставка", "самовывоз", "торг", "срочно", "в хорошие руки",
                                "привиты", "от хозяина", "с документами", "гарантия",
                                "оптом и в розницу", "дорого", "в любом состоянии", "сам заберу"});
    Words other = words(
        {"Требуются продавцы, водители категории C, разнорабочие",
         "Утерян паспорт, просьба вернуть за вознаграждение", "Найдена собака, обращаться",
         "Сниму дом на лето", "Приглашаем на работу", "Ищу работу водителем",
         "Требуется няня для ребенка 3 лет", "Поздравляем с днем рождения любимую маму и бабушку",
         "Магазин Хозтовары предлагает", "Ярмарка выходного дня",
         "Набор в секцию каратэ для детей от 7 лет", "Продается бизнес", "Меняю сад на гараж"});
    Words more =
        words({"Звоните в любое время", "Показ в выходные дни", "Возможен обмен с вашей доплатой",
               "Рассмотрю любые предложения", "Фото вышлю по запросу", "Обращаться в рабочее время",
               "Серьезным покупателям скидка", "Оплата частями возможна",
               "Объявление действительно до конца месяца", "Посредникам просьба не звонить",
               "Хозяин на месте после обеда", "Подробности при встрече", "Адрес сообщу по телефону",
               "Звонить вечером или в выходные", "Спросить Николая", "Спросить Галину Петровну",
               "Возможна доставка по району за отдельную плату", "Смс не читаю, только звонки"});
    Words closings = words({"Тел.", "Тел.", "т.", "Звонить", "Обращаться по тел.",
                            "Справки по тел.", "Подробности по тел.", "Тел. после 18.00"});
    std::string rentVerb = cp1251("Сдам");
    std::string priceWord = cp1251("Цена");
    std::string roubles = cp1251("руб.");
    std::string thousandRoubles = cp1251("тыс. руб.");
    std::string perMonth = cp1251("руб./мес.");
    std::string negotiable = cp1251("Цена договорная.");
    std::string bargain = cp1251("Торг.");
    std::string yearMade = cp1251("г.в.");
    std::string mileage = cp1251("пробег");
    std::string thousandKm = cp1251("тыс. км");
    std::string floorWord = cp1251("эт.");
    std::string squareMetres = cp1251("кв. м");
};

const Lexicon& lexicon() {
    static const Lexicon instance;
    return instance;
}

const std::string& pick(Random& r, const Words& list) {
    return list[r.below(list.size())];
}

std::string number(int64_t v) {
    return std::to_string(v);
}

// "1 250 000"
std::string groupedNumber(int64_t v) {
    std::string digits = std::to_string(v);
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

std::string twoDigits(int64_t v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string mobilePhone(Random& r) {
    return "8-9" + twoDigits(r.between(0, 99)) + "-" + number(r.between(100, 999)) + "-" +
           twoDigits(r.between(0, 99)) + "-" + twoDigits(r.between(0, 99));
}

std::string cityPhone(Random& r) {
    return number(r.between(2, 7)) + "-" + twoDigits(r.between(0, 99)) + "-" +
           twoDigits(r.between(0, 99));
}

std::string telephone(Random& r) {
    const uint64_t form = r.below(10);
    if (form < 6) return mobilePhone(r);
    if (form < 9) return cityPhone(r);
    return mobilePhone(r) + ", " + cityPhone(r);
}

enum class Subject { Other, Realty, Car, Service };

std::string personName(Random& r, const Lexicon& lx) {
    const bool female = r.chance(0.45);
    std::string surname = pick(r, lx.maleSurnames);
    const std::string& unchanging = lx.unchangingSurnameEnding;
    const bool keepsForm =
        surname.size() > unchanging.size() &&
        surname.compare(surname.size() - unchanging.size(), unchanging.size(), unchanging) == 0;
    if (female && !keepsForm) surname += lx.femaleSurnameEnding;
    const std::string& name = female ? pick(r, lx.femaleNames) : pick(r, lx.maleNames);
    const std::string& stem = pick(r, lx.patronymicStems);
    if (r.chance(0.6)) {
        return surname + " " + name + " " + stem + (female ? lx.femaleEnding : lx.maleEnding);
    }
    return surname + " " + name.substr(0, 1) + "." + stem.substr(0, 1) + ".";
}

std::string passportText(Random& r, const Lexicon& lx) {
    const int32_t year = int32_t(r.between(1998, 2022));
    return twoDigits(r.between(1, 99)) + " " + twoDigits(r.between(0, 23)) + " " +
           number(r.between(100000, 999999)) + " " + lx.issued + " " + pick(r, lx.issuers) + " " +
           twoDigits(r.between(1, 28)) + "." + twoDigits(r.between(1, 12)) + "." + number(year);
}

std::string companyRequisites(Random& r, const Lexicon& lx) {
    std::string s = lx.inn + " " + number(r.between(7400000000ll, 7499999999ll));
    if (r.chance(0.5)) s += ", " + lx.kpp + " " + number(r.between(740000000, 749999999));
    return s;
}

// Ends the sentence in text (unless it already ends with a dot, as after "г.в.") and
// starts the next one.
void nextSentence(std::string& text, std::string_view sentence) {
    if (!text.empty() && text.back() != '.') text += '.';
    text += ' ';
    text += sentence;
}

// Appends phrases to text, ", "-separated and none twice, while it stays below the
// wanted length; when the phrases run out, a further sentence from `more` starts.
void extend(Random& r, std::string& text, const Words& details, const Words& more, size_t wanted,
            size_t room) {
    std::vector<bool> used(details.size());
    std::vector<bool> moreUsed(more.size());
    size_t left = details.size();
    const auto unused = [&r](std::vector<bool>& flags) {
        size_t i = r.below(flags.size());
        while (flags[i])
            i = (i + 1) % flags.size();
        flags[i] = true;
        return i;
    };
    size_t moreLeft = more.size();
    while (text.size() < wanted) {
        if (left == 0) {
            if (moreLeft == 0) break;
            const std::string& sentence = more[unused(moreUsed)];
            --moreLeft;
            if (text.size() + 2 + sentence.size() > room) break;
            nextSentence(text, sentence);
            continue;
        }
        const std::string& d = details[unused(used)];
        --left;
        if (text.size() + 2 + d.size() > room) break;
        text += ", ";
        text += d;
    }
}

size_t wantedLength(Random& r) {
    const uint64_t band = r.below(100);
    if (band < 70) return size_t(r.between(40, 200));
    if (band < 95) return size_t(r.between(200, 400));
    return size_t(r.between(400, 600));
}

std::string realtyPrice(Random& r, const Lexicon& lx, bool rent) {
    if (r.chance(0.2)) return lx.negotiable;
    if (rent) return lx.priceWord + " " + groupedNumber(r.between(3, 25) * 500) + " " + lx.perMonth;
    std::string s = lx.priceWord + " ";
    if (r.chance(0.5))
        s += groupedNumber(r.between(150, 4500)) + " " + lx.thousandRoubles;
    else
        s += groupedNumber(r.between(30, 900) * 5000) + " " + lx.roubles;
    if (r.chance(0.4)) s += " " + lx.bargain;
    return s;
}

std::string carPrice(Random& r, const Lexicon& lx) {
    if (r.chance(0.15)) return lx.negotiable;
    std::string s =
        lx.priceWord + " " + groupedNumber(r.between(10, 900) * 1000) + " " + lx.roubles;
    if (r.chance(0.4)) s += " " + lx.bargain;
    return s;
}

// The body of the text (without the closing with the telephone).
std::string body(Random& r, const Lexicon& lx, Subject subject, size_t wanted, size_t room) {
    // The price sentence after the details takes at most this much.
    constexpr size_t kPriceReserve = 32;
    room = room > kPriceReserve ? room - kPriceReserve : 0;
    std::string text;
    switch (subject) {
    case Subject::Realty: {
        const std::string& verb = pick(r, lx.realtyVerbs);
        text = verb + " " + pick(r, lx.realtyObjects) + ", " + pick(r, lx.realtyPlaces);
        if (r.chance(0.6)) {
            const int64_t floors = r.chance(0.5) ? 5 : (r.chance(0.5) ? 9 : 2);
            text += ", " + number(r.between(1, floors)) + "/" + number(floors) + " " + lx.floorWord;
        }
        if (r.chance(0.5)) text += ", " + number(r.between(12, 120)) + " " + lx.squareMetres;
        extend(r, text, lx.realtyDetails, lx.more, wanted, room);
        const bool rent = verb == lx.rentVerb;
        nextSentence(text, realtyPrice(r, lx, rent));
        break;
    }
    case Subject::Car:
        text = pick(r, lx.carVerbs) + " " + pick(r, lx.carModels) + ", " +
               number(r.between(1985, 2022)) + " " + lx.yearMade;
        if (r.chance(0.6))
            text += ", " + lx.mileage + " " + number(r.between(5, 350)) + " " + lx.thousandKm;
        extend(r, text, lx.carDetails, lx.more, wanted, room);
        nextSentence(text, carPrice(r, lx));
        break;
    case Subject::Service:
        text = pick(r, lx.services);
        extend(r, text, lx.serviceDetails, lx.more, wanted, room);
        text += ".";
        break;
    case Subject::Other:
        if (r.chance(0.3)) {
            text = pick(r, lx.other);
            extend(r, text, lx.otherDetails, lx.more, wanted, room);
        } else {
            text = pick(r, lx.otherVerbs) + " " + pick(r, lx.otherObjects);
            extend(r, text, lx.otherDetails, lx.more, wanted, room);
            if (r.chance(0.5))
                nextSentence(text, lx.priceWord + " " + groupedNumber(r.between(1, 400) * 100) +
                                       " " + lx.roubles);
        }
        if (text.back() != '.') text += ".";
        break;
    }
    if (text.back() != '.') text += ".";
    return text;
}

} // namespace

std::vector<dorod::TDorodField> announcementFields() {
    return announcementTable().storeFields();
}

std::vector<dorod::TDorodField> runDateFields() {
    return runDateTable().storeFields();
}

int32_t countWords(std::string_view text) {
    int32_t count = 0;
    size_t tokenLength = 0;
    for (char c : text) {
        if (c == ' ') {
            if (tokenLength >= 4) ++count;
            tokenLength = 0;
        } else {
            ++tokenLength;
        }
    }
    if (tokenLength >= 4) ++count;
    return count;
}

std::string singleColourRuns(std::string_view text, uint32_t colour) {
    std::string out = "<<" + std::to_string(colour) + ">>\r\n";
    out += text;
    return out;
}

int32_t AnnouncementGenerator::defaultLastDay() {
    return dorod::dayNumberFromCivil(2024, 12, 31);
}

AnnouncementGenerator::AnnouncementGenerator(uint64_t seed, size_t total, int32_t lastDay,
                                             int32_t spanDays)
    : m_random(seed), m_total(total), m_firstDay(lastDay - std::max(spanDays, 1) + 1),
      m_lastDay(lastDay) {}

int32_t AnnouncementGenerator::intakeDayOf(size_t index) const {
    const int64_t span = int64_t(m_lastDay - m_firstDay) + 1;
    return m_firstDay + int32_t(m_total > 0 ? int64_t(index) * span / int64_t(m_total) : 0);
}

Announcement AnnouncementGenerator::next() {
    const Lexicon& lx = lexicon();
    Random& r = m_random;
    Announcement a;
    const size_t index = m_produced++;
    a.id = int32_t(index + 1);
    // Ids follow intake order, so the days rise with the ids.
    a.indate = intakeDayOf(index);

    // Client and its category.
    const uint64_t category = r.below(100);
    if (category < 70) {
        a.clientCat = lx.clientCats[0];
        a.client = personName(r, lx);
        if (!r.chance(0.15)) a.pasport = passportText(r, lx);
    } else if (category < 90) {
        a.clientCat = lx.clientCats[1];
        const std::string person = personName(r, lx);
        a.client = lx.entrepreneur + " " + person;
        if (!r.chance(0.15))
            a.pasport = r.chance(0.5) ? passportText(r, lx) : companyRequisites(r, lx);
    } else {
        a.clientCat = lx.clientCats[2];
        a.client = pick(r, lx.companyKinds) + " " + lx.quote + pick(r, lx.companyNames) + lx.quote;
        if (!r.chance(0.15)) a.pasport = companyRequisites(r, lx);
    }

    // Payment.
    const uint64_t pay = r.below(100);
    if (a.clientCat == lx.clientCats[2])
        a.oplata = pay < 75 ? lx.oplata[1] : (pay < 95 ? lx.oplata[2] : lx.oplata[0]);
    else
        a.oplata = pay < 80 ? lx.oplata[0]
                            : (pay < 88 ? lx.oplata[1] : (pay < 92 ? lx.oplata[2] : lx.oplata[3]));

    // Subject and text.
    const uint64_t s = r.below(100);
    const Subject subject = s < 35   ? Subject::Realty
                            : s < 55 ? Subject::Car
                            : s < 80 ? Subject::Service
                                     : Subject::Other;
    switch (subject) {
    case Subject::Other:
        a.objCat = lx.objCats[0];
        break;
    case Subject::Realty:
        a.objCat = lx.objCats[1];
        break;
    case Subject::Car:
        a.objCat = lx.objCats[2];
        break;
    case Subject::Service:
        a.objCat = lx.objCats[3];
        break;
    }
    a.tel = telephone(r);
    const std::string closing =
        pick(r, lx.closings) + " " + (r.chance(0.7) ? a.tel : mobilePhone(r)) + ".";
    const size_t wanted = std::max(wantedLength(r), kMinTextLength);
    const size_t room = kMaxTextLength - closing.size() - 1;
    std::string text =
        body(r, lx, subject, wanted > closing.size() + 1 ? wanted - closing.size() - 1 : 0, room);
    // A body can overshoot only through its fixed parts; keep the field's width.
    if (text.size() > room) text.resize(room);
    text += " ";
    text += closing;
    while (text.size() < kMinTextLength)
        text += " " + pick(r, lx.serviceDetails) + ".";
    if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
    a.text = std::move(text);

    a.type = lx.type;
    a.temp = 1;
    a.slov = countWords(a.text);
    a.povt = r.chance(0.3);

    // Colour runs: mostly one white run; sometimes the first word in a highlight colour.
    const uint64_t colours = r.below(100);
    const size_t blank = a.text.find(' ');
    if (colours < 25 && blank != std::string::npos) {
        const uint32_t first = kHighlightColours[r.below(std::size(kHighlightColours))];
        a.xml = "<<" + std::to_string(first) + ">>\r\n" + a.text.substr(0, blank) + "\r\n<<" +
                std::to_string(kWhite) + ">>" + a.text.substr(blank);
    } else if (colours < 30) {
        a.xml = singleColourRuns(a.text, kHighlightColours[r.below(std::size(kHighlightColours))]);
    } else {
        a.xml = singleColourRuns(a.text, kWhite);
    }
    a.summa = a.slov * kWordPrice;
    return a;
}

std::vector<RunDate> makeRunDates(const std::vector<AnnouncementKey>& keys, size_t count,
                                  uint64_t seed) {
    std::vector<RunDate> rows;
    if (keys.empty() || count == 0) return rows;
    Random r(seed ^ 0xD1B54A32D192ED03ull);
    const size_t n = keys.size();
    const size_t mean = count / n;
    // Days per announcement: 1 .. 2*mean-1 around the mean (0 .. 1 for fewer rows than
    // announcements), then corrected one by one until the total is exact.
    const int64_t lo = mean >= 1 ? 1 : 0;
    const int64_t hi = mean >= 1 ? int64_t(2 * mean - 1) : 1;
    std::vector<uint32_t> days(n);
    size_t total = 0;
    for (size_t i = 0; i < n; ++i) {
        days[i] = uint32_t(r.between(lo, hi));
        total += days[i];
    }
    while (total < count) {
        ++days[r.below(n)];
        ++total;
    }
    while (total > count) {
        uint32_t& d = days[r.below(n)];
        if (d > 0) {
            --d;
            --total;
        }
    }
    rows.reserve(count);
    for (size_t i = 0; i < n; ++i)
        for (uint32_t k = 0; k < days[i]; ++k)
            rows.push_back(RunDate{keys[i].id, keys[i].indate + int32_t(k)});
    return rows;
}

struct AnnouncementAppender::Fields {
    dorod::TDorodRecordBuffer buffer;
    const dorod::TDorodField *id, *indate, *client, *pasport, *tel, *text, *clientCat, *oplata,
        *objCat, *type, *temp, *slov, *povt, *xml, *summa;
    explicit Fields(const dorod::TDorodCursor& c) : buffer(c.Layout()) {}
};

namespace {

const dorod::TDorodField* requireField(dorod::TDorodCursor& cursor, const char* name) {
    const dorod::TDorodField* f = cursor.FindField(name);
    if (!f) throw std::invalid_argument(std::string("the table has no field ") + name);
    return f;
}

} // namespace

AnnouncementAppender::AnnouncementAppender(dorod::TDorodCursor& cursor)
    : m_cursor(cursor), m_fields(std::make_unique<Fields>(cursor)) {
    Fields& f = *m_fields;
    f.id = requireField(cursor, field::kId);
    f.indate = requireField(cursor, field::kIndate);
    f.client = requireField(cursor, field::kClient);
    f.pasport = requireField(cursor, field::kPasport);
    f.tel = requireField(cursor, field::kTel);
    f.text = requireField(cursor, field::kText);
    f.clientCat = requireField(cursor, field::kClientCat);
    f.oplata = requireField(cursor, field::kOplata);
    f.objCat = requireField(cursor, field::kObjCat);
    f.type = requireField(cursor, field::kType);
    f.temp = requireField(cursor, field::kTemp);
    f.slov = requireField(cursor, field::kSlov);
    f.povt = requireField(cursor, field::kPovt);
    f.xml = requireField(cursor, field::kXml);
    f.summa = requireField(cursor, field::kSumma);
}

AnnouncementAppender::~AnnouncementAppender() = default;

void AnnouncementAppender::append(const Announcement& a) {
    namespace rec = dorod::record;
    Fields& f = *m_fields;
    f.buffer.clear();
    uint8_t* b = f.buffer.data();
    rec::setInt32(b, *f.id, a.id);
    rec::setInt32(b, *f.indate, a.indate);
    rec::setText(b, *f.client, a.client);
    rec::setText(b, *f.pasport, a.pasport);
    rec::setText(b, *f.tel, a.tel);
    rec::setText(b, *f.text, a.text);
    rec::setText(b, *f.clientCat, a.clientCat);
    rec::setText(b, *f.oplata, a.oplata);
    rec::setText(b, *f.objCat, a.objCat);
    rec::setText(b, *f.type, a.type);
    rec::setInt32(b, *f.temp, a.temp);
    rec::setInt32(b, *f.slov, a.slov);
    rec::setBoolean(b, *f.povt, a.povt);
    rec::setText(b, *f.xml, a.xml);
    rec::setDouble(b, *f.summa, a.summa);
    m_cursor.AppendStoredRecord(b);
}

struct RunDateAppender::Fields {
    dorod::TDorodRecordBuffer buffer;
    const dorod::TDorodField *id, *date;
    explicit Fields(const dorod::TDorodCursor& c) : buffer(c.Layout()) {}
};

RunDateAppender::RunDateAppender(dorod::TDorodCursor& cursor)
    : m_cursor(cursor), m_fields(std::make_unique<Fields>(cursor)) {
    m_fields->id = requireField(cursor, field::kId);
    m_fields->date = requireField(cursor, field::kDate);
}

RunDateAppender::~RunDateAppender() = default;

void RunDateAppender::append(const RunDate& d) {
    uint8_t* b = m_fields->buffer.data();
    dorod::record::setInt32(b, *m_fields->id, d.id);
    dorod::record::setInt32(b, *m_fields->date, d.date);
    m_cursor.AppendStoredRecord(b);
}

namespace {

std::string joinPath(const std::string& folder, const char* name) {
    return (std::filesystem::path(folder) / name).string();
}

void save(dorod::TDorodCursor& cursor, const std::string& path) {
    std::string message;
    if (!cursor.SaveToFile(path, 0, false, {}, message))
        throw std::runtime_error("cannot write " + path + ": " + message);
}

} // namespace

namespace {
void defineFields(dorod::TDorodCursor& cursor, const std::vector<dorod::TDorodField>& fields) {
    std::string message;
    if (!cursor.DefineFields(fields, message)) throw std::logic_error(message);
}
} // namespace

void fillAnnouncementTable(dorod::TDorodCursor& cursor, const std::vector<Announcement>& rows) {
    defineFields(cursor, announcementFields());
    AnnouncementAppender writer(cursor);
    for (const Announcement& a : rows)
        writer.append(a);
}

std::vector<AnnouncementKey> fillAnnouncementTable(dorod::TDorodCursor& cursor, size_t count,
                                                   uint64_t seed) {
    defineFields(cursor, announcementFields());
    AnnouncementAppender writer(cursor);
    AnnouncementGenerator generator(seed, count);
    std::vector<AnnouncementKey> keys;
    keys.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const Announcement a = generator.next();
        writer.append(a);
        keys.push_back(AnnouncementKey{a.id, a.indate});
    }
    return keys;
}

void fillRunDateTable(dorod::TDorodCursor& cursor, const std::vector<RunDate>& rows) {
    defineFields(cursor, runDateFields());
    RunDateAppender writer(cursor);
    for (const RunDate& d : rows)
        writer.append(d);
}

WorkloadFiles writeLargeWorkload(const std::string& folder, size_t announcements, size_t runDates,
                                 uint64_t seed) {
    WorkloadFiles files;
    files.dataPath = joinPath(folder, "data.d");
    files.datesPath = joinPath(folder, "dates.d");
    files.announcements = announcements;
    files.runDates = runDates;

    std::vector<AnnouncementKey> keys;
    {
        dorod::TDorodCursor data;
        keys = fillAnnouncementTable(data, announcements, seed);
        save(data, files.dataPath);
    }
    {
        const std::vector<RunDate> rows = makeRunDates(keys, runDates, seed);
        dorod::TDorodCursor dates;
        fillRunDateTable(dates, rows);
        save(dates, files.datesPath);
    }
    files.dataBytes = std::filesystem::file_size(files.dataPath);
    files.datesBytes = std::filesystem::file_size(files.datesPath);
    return files;
}

} // namespace vornelta::workload
