#include "tools/phonesim/phonecontactgenerator.h"

#include <QBuffer>
#include <QDate>
#include <QImage>

#include <array>
#include <cmath>

namespace phonesim {

namespace {

quint64 mix64(quint64 z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// splitmix64: small, fast and the same on every platform. Streams for
// neighbouring indexes start from hashed states, so they are unrelated.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) { }
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template<typename T, size_t N>
    const T &pick(const std::array<T, N> &list)
    {
        return list[size_t(below(int(N)))];
    }
    QString digits(int count)
    {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar(u'0' + below(10));
        return s;
    }

private:
    quint64 m_state;
};

struct Name
{
    const char *native;
    const char *roman;
};

struct Place
{
    const char *city;
    const char *region;
    const char *postcode;
};

// One naming and addressing tradition. `phone` is a pattern in which every
// '#' becomes a random digit; `street` holds "%1" for the house number.
struct Culture
{
    int weight;
    bool latin;
    const char *country;
    std::array<Name, 8> given;
    std::array<Name, 6> family;
    std::array<Place, 3> places;
    std::array<const char *, 3> streets;
    std::array<const char *, 2> phones;
};

const std::array<Culture, 18> cultures = { {
    { 14, true, "USA",
        { { { "James", "james" }, { "Mary", "mary" }, { "Robert", "robert" }, { "Patricia", "patricia" },
            { "Michael", "michael" }, { "Jennifer", "jennifer" }, { "Emily", "emily" }, { "Daniel", "daniel" } } },
        { { { "Smith", "smith" }, { "Johnson", "johnson" }, { "O'Brien", "obrien" }, { "Garcia", "garcia" },
            { "Miller", "miller" }, { "Anderson", "anderson" } } },
        { { { "Springfield", "IL", "62701" }, { "Portland", "OR", "97201" }, { "Austin", "TX", "78701" } } },
        { { "%1 Maple Street", "%1 Oak Avenue, Apt. 4B", "%1 Elm Drive" } },
        { { "+1 (###) 555-01##", "+1 ###-555-01##" } } },
    { 8, true, "United Kingdom",
        { { { "Oliver", "oliver" }, { "Amelia", "amelia" }, { "Harry", "harry" }, { "Isla", "isla" },
            { "George", "george" }, { "Siobhan", "siobhan" }, { "Rhys", "rhys" }, { "Sophie", "sophie" } } },
        { { { "Clarke", "clarke" }, { "Wright", "wright" }, { "Hughes", "hughes" }, { "Fitzgerald-Smith", "fitzgerald" },
            { "Evans", "evans" }, { "MacLeod", "macleod" } } },
        { { { "London", "", "SW1A 2AA" }, { "Manchester", "", "M1 1AE" }, { "Cardiff", "Wales", "CF10 1EP" } } },
        { { "%1 Baker Street", "Flat 2, %1 Queen's Road", "%1 High Street" } },
        { { "+44 7700 900###", "020 7946 0###" } } },
    { 8, true, "Deutschland",
        { { { "Jürgen", "juergen" }, { "Ursula", "ursula" }, { "Käthe", "kaethe" }, { "Günther", "guenther" },
            { "Lena", "lena" }, { "Maximilian", "max" }, { "Jörg", "joerg" }, { "Anneliese", "anneliese" } } },
        { { { "Müller", "mueller" }, { "Schröder", "schroeder" }, { "Weiß", "weiss" }, { "Groß", "gross" },
            { "Becker", "becker" }, { "Krämer", "kraemer" } } },
        { { { "Berlin", "Berlin", "10117" }, { "München", "Bayern", "80331" }, { "Köln", "NRW", "50667" } } },
        { { "Hauptstraße %1", "Schillerstraße %1a", "Am Mühlbach %1" } },
        { { "+49 151 ########", "+49 30 #######" } } },
    { 7, true, "France",
        { { { "François", "francois" }, { "Zoë", "zoe" }, { "Hélène", "helene" }, { "Jean-Luc", "jeanluc" },
            { "Amélie", "amelie" }, { "Noël", "noel" }, { "Gaëlle", "gaelle" }, { "Benoît", "benoit" } } },
        { { { "Lefèvre", "lefevre" }, { "Dubois", "dubois" }, { "Moreau", "moreau" }, { "Lemaître", "lemaitre" },
            { "Bélanger", "belanger" }, { "de la Tour", "delatour" } } },
        { { { "Paris", "Île-de-France", "75001" }, { "Lyon", "Auvergne-Rhône-Alpes", "69002" },
            { "Marseille", "Provence-Alpes-Côte d'Azur", "13001" } } },
        { { "%1 rue de la Paix", "%1, avenue des Champs-Élysées", "%1 boulevard Saint-Michel" } },
        { { "+33 6 ## ## ## ##", "+33 1 ## ## ## ##" } } },
    { 7, true, "España",
        { { { "José", "jose" }, { "María", "maria" }, { "Íñigo", "inigo" }, { "Begoña", "begona" },
            { "Pilar", "pilar" }, { "Alejandro", "alejandro" }, { "Lucía", "lucia" }, { "Ramón", "ramon" } } },
        { { { "García Núñez", "garcia" }, { "Martínez", "martinez" }, { "Peña", "pena" }, { "Rodríguez", "rodriguez" },
            { "Sánchez", "sanchez" }, { "Ibáñez", "ibanez" } } },
        { { { "Madrid", "Madrid", "28001" }, { "Sevilla", "Andalucía", "41001" }, { "Bilbao", "Bizkaia", "48001" } } },
        { { "Calle Mayor, %1", "Avenida de la Constitución %1, 3º B", "Plaza España %1" } },
        { { "+34 6## ### ###", "+34 91 ### ## ##" } } },
    { 5, true, "Sverige",
        { { { "Åsa", "asa" }, { "Björn", "bjorn" }, { "Signe", "signe" }, { "Øystein", "oystein" },
            { "Märta", "marta" }, { "Lars", "lars" }, { "Ingrid", "ingrid" }, { "Sören", "soren" } } },
        { { { "Ström", "strom" }, { "Ångström", "angstrom" }, { "Lindqvist", "lindqvist" }, { "Nyström", "nystrom" },
            { "Søndergaard", "sondergaard" }, { "Berg", "berg" } } },
        { { { "Stockholm", "", "111 22" }, { "Göteborg", "", "411 03" }, { "Malmö", "Skåne", "211 20" } } },
        { { "Drottninggatan %1", "Storgatan %1 lgh 1102", "Kungsgatan %1" } },
        { { "+46 70-### ## ##", "08-### ### ##" } } },
    { 5, true, "Polska",
        { { { "Łukasz", "lukasz" }, { "Małgorzata", "malgorzata" }, { "Wojciech", "wojciech" }, { "Zdeněk", "zdenek" },
            { "Jiří", "jiri" }, { "Agnieszka", "agnieszka" }, { "Michał", "michal" }, { "Żaneta", "zaneta" } } },
        { { { "Wróbel", "wrobel" }, { "Dvořák", "dvorak" }, { "Kowalski", "kowalski" },
            { "Szczepańska", "szczepanska" }, { "Němec", "nemec" }, { "Wiśniewski", "wisniewski" } } },
        { { { "Kraków", "małopolskie", "31-001" }, { "Warszawa", "mazowieckie", "00-001" },
            { "Gdańsk", "pomorskie", "80-001" } } },
        { { "ul. Floriańska %1", "ul. Marszałkowska %1 m. 7", "al. Grunwaldzka %1" } },
        { { "+48 5## ### ###", "+48 22 ### ## ##" } } },
    { 4, true, "Türkiye",
        { { { "Çağla", "cagla" }, { "Şükrü", "sukru" }, { "Gökhan", "gokhan" }, { "Ayşe", "ayse" },
            { "İlker", "ilker" }, { "Özlem", "ozlem" }, { "Emre", "emre" }, { "Zeynep", "zeynep" } } },
        { { { "Öztürk", "ozturk" }, { "Yılmaz", "yilmaz" }, { "Şahin", "sahin" }, { "Çelik", "celik" },
            { "Doğan", "dogan" }, { "Aydın", "aydin" } } },
        { { { "İstanbul", "Beşiktaş", "34000" }, { "Ankara", "Çankaya", "06000" }, { "İzmir", "Konak", "35000" } } },
        { { "Atatürk Cad. No:%1", "İstiklal Cd. %1/3", "Bağdat Cd. No:%1 D:5" } },
        { { "+90 5## ### ## ##", "+90 212 ### ## ##" } } },
    { 5, false, "Россия",
        { { { "Иван", "ivan" }, { "Анна", "anna" }, { "Дмитрий", "dmitry" }, { "Ольга", "olga" },
            { "Сергей", "sergey" }, { "Наталья", "natalya" }, { "Юлия", "yulia" }, { "Алексей", "alexey" } } },
        { { { "Петров", "petrov" }, { "Смирнова", "smirnova" }, { "Иванов", "ivanov" }, { "Кузнецова", "kuznetsova" },
            { "Соколов", "sokolov" }, { "Волкова", "volkova" } } },
        { { { "Москва", "Москва", "101000" }, { "Санкт-Петербург", "Санкт-Петербург", "190000" },
            { "Новосибирск", "Новосибирская область", "630099" } } },
        { { "ул. Тверская, д. %1", "Невский пр., д. %1, кв. 12", "ул. Ленина, д. %1" } },
        { { "+7 9## ###-##-##", "+7 (495) ###-##-##" } } },
    { 3, false, "Ελλάδα",
        { { { "Γιώργος", "giorgos" }, { "Ελένη", "eleni" }, { "Νίκος", "nikos" }, { "Μαρία", "maria" },
            { "Δημήτρης", "dimitris" }, { "Κατερίνα", "katerina" }, { "Σοφία", "sofia" }, { "Κώστας", "kostas" } } },
        { { { "Παπαδόπουλος", "papadopoulos" }, { "Οικονόμου", "oikonomou" }, { "Γεωργίου", "georgiou" },
            { "Νικολάου", "nikolaou" }, { "Παππάς", "pappas" }, { "Βασιλείου", "vasileiou" } } },
        { { { "Αθήνα", "Αττική", "105 57" }, { "Θεσσαλονίκη", "Κεντρική Μακεδονία", "546 21" },
            { "Πάτρα", "Δυτική Ελλάδα", "262 21" } } },
        { { "Ερμού %1", "Λεωφόρος Συγγρού %1", "Τσιμισκή %1" } },
        { { "+30 69# ### ####", "+30 21# ### ####" } } },
    { 5, false, "中国",
        { { { "伟", "wei" }, { "娜", "na" }, { "秀英", "xiuying" }, { "敏", "min" }, { "静", "jing" },
            { "强", "qiang" }, { "磊", "lei" }, { "晓明", "xiaoming" } } },
        { { { "王", "wang" }, { "李", "li" }, { "张", "zhang" }, { "刘", "liu" }, { "陈", "chen" },
            { "欧阳", "ouyang" } } },
        { { { "北京市", "北京", "100020" }, { "上海市", "上海", "200000" }, { "广州市", "广东省", "510000" } } },
        { { "朝阳区建国路%1号", "浦东新区世纪大道%1号", "天河区体育西路%1号" } },
        { { "+86 13# #### ####", "+86 10 #### ####" } } },
    { 4, false, "日本",
        { { { "花子", "hanako" }, { "太郎", "taro" }, { "陽菜", "hina" }, { "蓮", "ren" }, { "美咲", "misaki" },
            { "翔太", "shota" }, { "さくら", "sakura" }, { "ユウキ", "yuki" } } },
        { { { "佐藤", "sato" }, { "鈴木", "suzuki" }, { "高橋", "takahashi" }, { "田中", "tanaka" },
            { "渡辺", "watanabe" }, { "伊藤", "ito" } } },
        { { { "渋谷区", "東京都", "150-0002" }, { "大阪市北区", "大阪府", "530-0001" }, { "京都市中京区", "京都府", "604-8005" } } },
        { { "神南1-%1-3", "梅田2-%1-10", "河原町通%1番地" } },
        { { "+81 90-####-####", "+81 3-####-####" } } },
    { 3, false, "대한민국",
        { { { "민준", "minjun" }, { "서연", "seoyeon" }, { "지호", "jiho" }, { "하은", "haeun" },
            { "도윤", "doyun" }, { "지우", "jiwoo" }, { "예준", "yejun" }, { "수아", "sua" } } },
        { { { "김", "kim" }, { "이", "lee" }, { "박", "park" }, { "최", "choi" }, { "정", "jung" }, { "강", "kang" } } },
        { { { "서울특별시 중구", "서울", "04524" }, { "부산광역시 해운대구", "부산", "48094" },
            { "성남시 분당구", "경기도", "13494" } } },
        { { "세종대로 %1", "해운대로 %1", "판교역로 %1" } },
        { { "+82 10-####-####", "+82 2-###-####" } } },
    { 3, false, "مصر",
        { { { "محمد", "mohammed" }, { "فاطمة", "fatima" }, { "أحمد", "ahmed" }, { "ليلى", "layla" },
            { "يوسف", "youssef" }, { "مريم", "maryam" }, { "عمر", "omar" }, { "نور", "nour" } } },
        { { { "العلي", "alali" }, { "حداد", "haddad" }, { "الخطيب", "alkhatib" }, { "منصور", "mansour" },
            { "سالم", "salem" }, { "عبد الله", "abdullah" } } },
        { { { "القاهرة", "القاهرة", "11511" }, { "الإسكندرية", "الإسكندرية", "21500" }, { "الجيزة", "الجيزة", "12511" } } },
        { { "شارع التحرير %1", "شارع الهرم %1", "طريق الكورنيش %1" } },
        { { "+20 10# ### ####", "+20 2 #### ####" } } },
    { 2, false, "ישראל",
        { { { "דוד", "david" }, { "נועה", "noa" }, { "יוסף", "yosef" }, { "מיכל", "michal" }, { "אורי", "uri" },
            { "תמר", "tamar" }, { "אבי", "avi" }, { "שירה", "shira" } } },
        { { { "כהן", "cohen" }, { "לוי", "levi" }, { "מזרחי", "mizrahi" }, { "פרץ", "peretz" }, { "ביטון", "biton" },
            { "אברהם", "avraham" } } },
        { { { "תל אביב", "", "6100000" }, { "ירושלים", "", "9100000" }, { "חיפה", "", "3100000" } } },
        { { "רחוב דיזנגוף %1", "רחוב יפו %1", "שדרות הנשיא %1" } },
        { { "+972 5#-###-####", "+972 3-###-####" } } },
    { 3, false, "भारत",
        { { { "अमित", "amit" }, { "प्रिया", "priya" }, { "राहुल", "rahul" }, { "अनन्या", "ananya" },
            { "विकास", "vikas" }, { "सुनीता", "sunita" }, { "अर्जुन", "arjun" }, { "दीपिका", "deepika" } } },
        { { { "शर्मा", "sharma" }, { "पटेल", "patel" }, { "सिंह", "singh" }, { "गुप्ता", "gupta" },
            { "वर्मा", "verma" }, { "जोशी", "joshi" } } },
        { { { "नई दिल्ली", "दिल्ली", "110001" }, { "मुंबई", "महाराष्ट्र", "400001" }, { "जयपुर", "राजस्थान", "302001" } } },
        { { "एमजी रोड %1", "%1, नेहरू नगर", "गांधी मार्ग %1" } },
        { { "+91 9#### #####", "+91 11 #### ####" } } },
    { 2, true, "Việt Nam",
        { { { "Hương", "huong" }, { "Minh", "minh" }, { "Thảo", "thao" }, { "Dũng", "dung" }, { "Linh", "linh" },
            { "Quốc", "quoc" }, { "Ngọc", "ngoc" }, { "Tuấn", "tuan" } } },
        { { { "Nguyễn", "nguyen" }, { "Trần", "tran" }, { "Lê", "le" }, { "Phạm", "pham" }, { "Hoàng", "hoang" },
            { "Đặng", "dang" } } },
        { { { "Hà Nội", "Hoàn Kiếm", "100000" }, { "Thành phố Hồ Chí Minh", "Quận 1", "700000" },
            { "Đà Nẵng", "Hải Châu", "550000" } } },
        { { "%1 Phố Huế", "%1 Đường Lê Lợi", "%1 Đường Trần Phú" } },
        { { "+84 9# ### ## ##", "+84 24 #### ####" } } },
    { 2, false, "ประเทศไทย",
        { { { "สมชาย", "somchai" }, { "สุดา", "suda" }, { "ประเสริฐ", "prasert" }, { "มาลี", "malee" },
            { "วิชัย", "wichai" }, { "นภา", "napa" }, { "อนันต์", "anan" }, { "ปราณี", "pranee" } } },
        { { { "ใจดี", "jaidee" }, { "ศรีสุข", "srisuk" }, { "วงศ์ไทย", "wongthai" }, { "สุขสวัสดิ์", "suksawat" },
            { "ทองดี", "thongdee" }, { "แก้วมณี", "kaewmanee" } } },
        { { { "กรุงเทพมหานคร", "กรุงเทพ", "10200" }, { "เชียงใหม่", "เชียงใหม่", "50000" },
            { "ภูเก็ต", "ภูเก็ต", "83000" } } },
        { { "ถนนสุขุมวิท %1", "ถนนนิมมานเหมินท์ %1", "ถนนราชดำเนิน %1" } },
        { { "+66 8# ### ####", "+66 2 ### ####" } } },
} };

const std::array<const char *, 9> groupTitles = { "Family", "Friends", "Coworkers", "Book club", "Gym",
    "Nachbarn", "Коллеги", "家族", "VIP ⭐" };

const std::array<const char *, 12> companies = { "Initech", "Globex Corporation", "Umbrella GmbH",
    "Müller & Söhne KG", "Société Générale des Eaux", "Acme, Inc.", "株式会社サンプル", "ООО «Ромашка»",
    "Stark Industries", "Cyberdyne Systems", "北京示例科技有限公司", "Wayne Enterprises" };
const std::array<const char *, 6> departments = { "Research & Development", "Sales", "IT", "Buchhaltung",
    "Human Resources", "Logistics" };
const std::array<const char *, 8> jobTitles = { "Engineer", "Senior Manager", "CEO", "Sachbearbeiterin",
    "Head of \"Special\" Projects", "Intern", "部长", "Directrice commerciale" };
const std::array<const char *, 10> notes = {
    "Met at the conference in Berlin.",
    "Allergic to peanuts, prefers tea, not coffee.",
    "Call after 6 pm\nNever on Sundays",
    "Spare key: under the \"blue\" flower pot; alarm code 1234.",
    "🎂 Loves chocolate cake 🍫",
    "Ex-colleague; recommended by Jörg, line 2, see e-mail from 2019/03/14.",
    "Заметка: перезвонить в понедельник.",
    "备注：下周三见面。",
    "Comma, separated, values, everywhere,,,",
    "Long note. Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut "
    "labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut "
    "aliquip ex ea commodo consequat. Duis aute irure dolor in reprehenderit in voluptate velit esse cillum "
    "dolore eu fugiat nulla pariatur. Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia "
    "deserunt mollit anim id est laborum.\n\nSecond paragraph: 😀 Ünïcödé ✓.",
};
const std::array<const char *, 6> customPhoneLabels = { "Boat", "Ferienhaus", "Dacha", "Grandma's", "Office 2",
    "緊急" };
const std::array<const char *, 3> customProtocols = { "Signal", "Matrix", "Threema" };
const std::array<const char *, 5> prefixes = { "Dr.", "Prof.", "Mr.", "Ms.", "Mrs." };
const std::array<const char *, 4> suffixes = { "Jr.", "Sr.", "III", "PhD" };
const std::array<const char *, 5> nicknames = { "Rocky", "🎸 Ziggy", "Bubbles", "Kiki", "Der Chef" };
const std::array<const char *, 5> domains = { "example.com", "example.org", "example.net", "mail.example",
    "post.example" };
const std::array<int, 8> relationTypes = { 14, 3, 8, 5, 9, 6, 1, 7 };

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

const Culture &pickCulture(Rng &rng)
{
    int total = 0;
    for (const Culture &c : cultures)
        total += c.weight;
    int r = rng.below(total);
    for (const Culture &c : cultures) {
        if (r < c.weight)
            return c;
        r -= c.weight;
    }
    return cultures[0];
}

QString fillDigits(Rng &rng, const char *pattern)
{
    QString s = u8(pattern);
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == u'#')
            s[i] = QChar(u'0' + rng.below(10));
    }
    return s;
}

QString randomDate(Rng &rng, int fromYear, int toYear)
{
    if (rng.chance(2))
        return QStringLiteral("1980-02-29");
    const QDate d(fromYear + rng.below(toYear - fromYear + 1), 1 + rng.below(12), 1 + rng.below(28));
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

using Row = PhoneContactGenerator::Row;

Row row(int kind, QStringList values)
{
    return Row { kind, std::move(values), {} };
}

QString code(int value)
{
    return QString::number(value);
}

} // namespace

PhoneContactGenerator::PhoneContactGenerator(quint64 seed) : m_seed(seed) { }

QList<Row> PhoneContactGenerator::contact(int index) const
{
    Rng rng(mix64(m_seed ^ mix64(quint64(index) + 0x632BE59BD9B4E019ULL)));
    const Culture &c = pickCulture(rng);
    QList<Row> rows;

    // Name.
    const Name &given = rng.pick(c.given);
    const Name &family = rng.pick(c.family);
    QString prefix, middle, suffix;
    QString givenText = u8(given.native), familyText = u8(family.native);
    if (c.latin && rng.chance(8))
        prefix = u8(rng.pick(prefixes));
    if (c.latin && rng.chance(12)) {
        middle = u8(rng.pick(c.given).native);
        if (middle == givenText)
            middle.clear();
    }
    if (c.latin && rng.chance(4))
        suffix = u8(rng.pick(suffixes));
    const int shape = rng.below(100);
    if (shape < 3)
        givenText.clear();
    else if (shape < 5)
        familyText.clear();
    rows.append(row(1, { prefix, givenText, middle, familyText, suffix }));

    const QString handle = QString::fromLatin1(given.roman) + u'.' + QString::fromLatin1(family.roman)
        + (rng.chance(30) ? rng.digits(2) : QString());

    // Nickname.
    if (rng.chance(12))
        rows.append(row(5, { code(1), QString(), u8(rng.pick(nicknames)) }));

    // Phones: one to three.
    const int phones = 1 + (rng.chance(45) ? 1 : 0) + (rng.chance(15) ? 1 : 0);
    static const std::array<int, 10> phoneTypes = { 2, 2, 2, 1, 3, 17, 12, 0, 4, 6 };
    for (int i = 0; i < phones; ++i) {
        int type = i == 0 ? 2 : rng.pick(phoneTypes);
        QString label;
        const int special = rng.below(100);
        if (special < 3) {
            type = 0;
            label = u8(rng.pick(customPhoneLabels));
        } else if (special < 4) {
            type = 7; // a type the wire has no label for
        }
        rows.append(row(3, { code(type), label, fillDigits(rng, c.phones[size_t(i == 0 ? 0 : rng.below(2))]) }));
    }

    // E-mails: none to two.
    static const std::array<int, 4> emailTypes = { 1, 2, 0, 4 };
    const int emails = rng.chance(70) ? (rng.chance(25) ? 2 : 1) : 0;
    for (int i = 0; i < emails; ++i) {
        const QString address = (i == 0 ? handle : QString::fromLatin1(family.roman) + rng.digits(3)) + u'@'
            + QString::fromLatin1(rng.pick(domains));
        rows.append(row(4, { code(rng.pick(emailTypes)), QString(), address }));
    }

    // Postal addresses: none to two.
    const int addresses = rng.chance(50) ? (rng.chance(20) ? 2 : 1) : 0;
    for (int i = 0; i < addresses; ++i) {
        const Place &place = rng.pick(c.places);
        const QString street = u8(rng.pick(c.streets)).arg(1 + rng.below(180));
        rows.append(row(12,
            { code(i == 0 ? 1 : rng.pick(std::array<int, 2> { 2, 0 })), QString(), u8(c.country), u8(place.region),
                u8(place.city), street, u8(place.postcode) }));
    }

    // Organization.
    if (rng.chance(40)) {
        rows.append(row(10,
            { code(1), QString(), u8(rng.pick(companies)), rng.chance(50) ? u8(rng.pick(departments)) : QString(),
                rng.chance(70) ? u8(rng.pick(jobTitles)) : QString() }));
    }

    // Events.
    if (rng.chance(45))
        rows.append(row(6, { code(3), QString(), randomDate(rng, 1940, 2015) }));
    if (rng.chance(10))
        rows.append(row(6, { code(1), QString(), randomDate(rng, 1970, 2023) }));
    if (rng.chance(3))
        rows.append(row(6, { code(0), QStringLiteral("Name day"), randomDate(rng, 2000, 2000) }));

    // Groups.
    if (rng.chance(65)) {
        const int first = rng.below(int(groupTitles.size()));
        rows.append(row(7, { u8(groupTitles[size_t(first)]) }));
        if (rng.chance(18))
            rows.append(row(7, { u8(groupTitles[size_t((first + 1 + rng.below(4)) % groupTitles.size())]) }));
    }

    // Instant messaging.
    if (rng.chance(15)) {
        if (rng.chance(15))
            rows.append(row(8, { code(0), QString(), code(0), u8(rng.pick(customProtocols)), handle }));
        else
            rows.append(row(8, { code(rng.below(3)), QString(), code(1 + rng.below(9)), QString(), handle }));
    }

    // Note.
    if (rng.chance(20))
        rows.append(row(9, { u8(rng.pick(notes)) }));

    // Relation.
    if (rng.chance(10)) {
        const QString other = u8(rng.pick(c.given).native) + u' ' + familyText;
        rows.append(row(11, { code(rng.pick(relationTypes)), QString(), other.trimmed() }));
    }

    // Website.
    if (rng.chance(15)) {
        static const std::array<int, 4> webTypes = { 1, 2, 5, 3 };
        const int type = rng.pick(webTypes);
        const QString url = type == 2
            ? QStringLiteral("https://%1.example.org/blog/").arg(QString::fromLatin1(given.roman))
            : QStringLiteral("https://www.example.com/~%1?ref=a,b").arg(handle);
        rows.append(row(13, { code(type), QString(), url }));
    }

    // Photo: one contact in eight.
    if (index % 8 == 3) {
        Row p { 2, { QString() }, photo(m_seed, index) };
        rows.insert(1, p);
    }
    return rows;
}

void PhoneContactGenerator::fill(PhoneStore &store, int first, int count) const
{
    for (int i = first; i < first + count; ++i) {
        const QList<Row> rows = contact(i);
        const qint64 raw = store.addContact();
        for (const Row &r : rows) {
            QStringList values = r.values;
            if (r.kind == 7)
                values = QStringList { QString::number(store.findOrCreateGroup(values.value(0))) };
            store.addRow(raw, r.kind, values, r.photo);
        }
    }
}

QByteArray PhoneContactGenerator::photo(quint64 seed, int index)
{
    Rng rng(mix64(~seed ^ mix64(quint64(index) * 0xD1B54A32D192ED03ULL + 1)));
    const int size = 48 + 16 * rng.below(3);
    QImage image(size, size, QImage::Format_RGB32);
    const QRgb background = qRgb(rng.below(256), rng.below(256), rng.below(256));
    const QRgb face = qRgb(rng.below(256), rng.below(256), rng.below(256));
    const double cx = size / 2.0, cy = size * 0.45, r = size * (0.22 + rng.below(10) / 100.0);
    for (int y = 0; y < size; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            const bool body = y > size * 0.72 && std::abs(x - cx) < size * 0.35;
            if (d < r || body)
                line[x] = face;
            else
                line[x] = qRgb((qRed(background) + x * 2) & 0xff, (qGreen(background) + y * 2) & 0xff,
                    qBlue(background));
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return jpeg;
}

} // namespace phonesim
