#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>

#include <filesystem>
#include <fstream>
#include <string>

#include "drawingfiles/QuarixKMZLoader.h"
#include "drawingfiles/kmlfiles.h"
#include "platform/clock.h"
#include "tests/support/tempenv.h"

namespace fs = std::filesystem;

namespace {

std::string Placemark(const std::string& inner) { return "<Placemark>" + inner + "</Placemark>"; }

class KMLLoader : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetTickSource([this] { return ticks; }); }
  void TearDown() override { platform::SetTickSource({}); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = env.ProgramFolder() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // Folders whose name starts with temp_kmz_ in the program folder.
  int WorkFolders() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(env.ProgramFolder()))
      if (e.path().filename().string().rfind("temp_kmz_", 0) == 0) ++n;
    return n;
  }
  TempEnv env;
  uint32_t ticks = 1234;
  TQuarixKMZLoader loader;
};

TEST_F(KMLLoader, CoordinateTuples) {
  struct Case {
    const char* what;
    std::string coordinates;
    std::vector<std::array<double, 3>> points;  // longitude, latitude, altitude
  } cases[] = {
      {"one tuple", "29.5,41.5,0", {{29.5, 41.5, 0}}},
      {"two numbers", "29.5,41.5", {{29.5, 41.5, 0}}},
      {"lines and tabs", "\n\t\t29,41,1\r\n\t29.1,41.05,2\n\t\t29.2,41.1,3\t\n",
       {{29, 41, 1}, {29.1, 41.05, 2}, {29.2, 41.1, 3}}},
      {"lines ended by CR alone", "29,41,1\r29.1,41.05,2\r\r29.2,41.1,3\r",
       {{29, 41, 1}, {29.1, 41.05, 2}, {29.2, 41.1, 3}}},
      {"zero and text dropped", "0,0,5 east,north 1e1,-2.5 29", {{10, -2.5, 0}}},
      {"bad altitude gives 0", "1,2,high", {{1, 2, 0}}},
  };
  for (const Case& c : cases) {
    std::vector<TKMLPoint> points;
    loader.ParseCoordinates(c.coordinates, points);
    ASSERT_EQ(points.size(), c.points.size()) << c.what;
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_DOUBLE_EQ(points[i].Longitude, c.points[i][0]) << c.what;
      EXPECT_DOUBLE_EQ(points[i].Latitude, c.points[i][1]) << c.what;
      EXPECT_DOUBLE_EQ(points[i].Altitude, c.points[i][2]) << c.what;
      EXPECT_EQ(points[i].X, 0);
    }
  }
}

TEST_F(KMLLoader, PlacemarksAndGeometries) {
  const std::string kml =
      "<kml><Document>" +
      Placemark("<name>\r\n  Harbour \t</name><description>a &amp; b</description>"
                "<Polygon><outerBoundaryIs><LinearRing><coordinates>1,1 2,1 2,2 1,1</coordinates>"
                "</LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>"
                "1.2,1.2 1.4,1.2 1.2,1.2</coordinates></LinearRing></innerBoundaryIs></Polygon>"
                "<LineString><coordinates>5,5 6,6</coordinates></LineString>"
                "<Point><coordinates>7,7</coordinates></Point>"
                "<Point><coordinates>8,8</coordinates></Point>") +
      Placemark("<name>no geometry</name>") +
      "<Placemark id=\"p>3\"><name xml:lang='en'>attribute</name><Point id=\"g\">"
      "<coordinates >9,9</coordinates></Point ></Placemark>" +
      Placemark("<name/><Points><coordinates>9,9</coordinates></Points><Point/>") +
      Placemark("<name>lower case</name><point><coordinates>9,9</coordinates></point>") +
      Placemark("<name>unclosed</name><LineString><coordinates>3,3 4,4</coordinates>") +
      Placemark("<Point><coordinates>10,11,12</coordinates></Point>") + "</Document></kml>";
  ASSERT_TRUE(loader.ParseKML(kml));
  ASSERT_EQ(loader.Placemarks.size(), 3u);
  const TKMLPlacemark& harbour = loader.Placemarks[0];
  EXPECT_EQ(harbour.Name, "Harbour");
  EXPECT_EQ(harbour.Description, "a & b");
  ASSERT_EQ(harbour.Geometries.size(), 4u);
  const int types[] = {kmlPoint, kmlPoint, kmlLineString, kmlPolygon};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(harbour.Geometries[i].Type, types[i]);
  EXPECT_EQ(harbour.Geometries[0].Points[0].Longitude, 7);
  EXPECT_EQ(harbour.Geometries[1].Points[0].Longitude, 8);
  EXPECT_EQ(harbour.Geometries[3].Points.size(), 4u);  // outer ring only
  // Attributes on any element, quoted '>' among them, are read past.
  EXPECT_EQ(loader.Placemarks[1].Name, "attribute");
  EXPECT_EQ(loader.Placemarks[1].Geometries[0].Points[0].Longitude, 9);
  EXPECT_EQ(loader.Placemarks[2].Name, "");
  EXPECT_EQ(loader.Placemarks[2].Geometries[0].Points[0].Altitude, 12);

  const auto points = loader.GetAllPoints();
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[3].Latitude, 11);
  const auto lines = loader.GetAllLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[1].size(), 4u);
}

TEST_F(KMLLoader, FailuresOfParse) {
  EXPECT_FALSE(loader.ParseKML(""));
  EXPECT_EQ(loader.LastError, "Empty KML content");
  EXPECT_FALSE(loader.ParseKML(Placemark("<name>a</name>") + Placemark("<name>b</name>")));
  EXPECT_EQ(loader.LastError,
            "No placemark with Point, LineString or Polygon coordinates found in the KML file (2 "
            "placemarks read)");
  EXPECT_FALSE(loader.ParseKML("<kml><Document><name>x</name></Document></kml>"));
  EXPECT_EQ(loader.LastError, "No placemark found in the KML file");
  EXPECT_TRUE(loader.Placemarks.empty());
}

// A document that ends before its root element is closed was cut short: it
// is refused whole, whatever placemarks its first part holds.
TEST_F(KMLLoader, ADocumentCutShortIsRefusedWhole) {
  const std::string point = Placemark("<name>p</name><Point><coordinates>1,2</coordinates></Point>");
  const struct {
    std::string text;
    const char* root;  // the element never closed; empty when the document is whole
  } cases[] = {
      {"<?xml version=\"1.0\"?>\n<!-- made by hand -->\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">" + point +
           "</kml >\r\n",
       ""},
      {"<!DOCTYPE kml [ <!ENTITY a \"b\"> ]>\n<kml>" + point + "</kml>", ""},
      {"<kml:kml>" + point + "</kml:kml>", ""},
      {point + point, ""},
      {"<?xml version=\"1.0\"?>\n<kml><Document>" + point + "<Placemark><name>q</name><Point><coord", "kml"},
      {"<kml><Document>" + point + "</Document></km", "kml"},
      {"<kml:kml>" + point + "</kml>", "kml:kml"},
  };
  for (const auto& c : cases) {
    const bool read = loader.ParseKML(c.text);
    EXPECT_EQ(read, std::string(c.root).empty()) << c.text;
    if (!read)
      EXPECT_EQ(loader.LastError, "The KML file ends before its document does: its <" + std::string(c.root) +
                                      "> element is never closed (the file may be cut short)");
    if (!read) EXPECT_TRUE(loader.Placemarks.empty());
  }
}

TEST_F(KMLLoader, EntitiesAreNeverResolved) {
  const std::string kml =
      "<!DOCTYPE doc [ <!ENTITY ent SYSTEM \"file:///etc/passwd\"> ]>\n<kml>" +
      Placemark("<name>&ent;</name><Point><coordinates>1,2,3</coordinates></Point>") + "</kml>";
  ASSERT_TRUE(loader.ParseKML(kml));
  EXPECT_EQ(loader.Placemarks[0].Name, "&ent;");
}

TEST_F(KMLLoader, ConversionDuringParseAndAgain) {
  int calls = 0;
  loader.OnConvertCoordinate = [&](double& x, double& y, double lat, double lon) {
    ++calls;
    x = lon * 1000;
    y = lat * 1000;
  };
  ASSERT_TRUE(loader.ParseKML(Placemark("<LineString><coordinates>1,2 3,4</coordinates></LineString>")));
  EXPECT_EQ(calls, 2);
  const TKMLPoint& p = loader.Placemarks[0].Geometries[0].Points[1];
  EXPECT_EQ(p.X, 3000);
  EXPECT_EQ(p.Y, 4000);
  loader.ConvertCoordinates();
  EXPECT_EQ(calls, 4);
}

TEST_F(KMLLoader, KmlAndKmzFilesGiveTheSamePlacemarks) {
  for (const char* name : {"kml/harbour.kml", "kml/harbour.kmz", "kml/evil.kmz"}) {
    TQuarixKMZLoader l;
    ASSERT_TRUE(l.LoadFromFile(TestData(name))) << name << ": " << l.LastError;
    ASSERT_EQ(l.Placemarks.size(), 3u) << name;
    EXPECT_EQ(l.Placemarks[0].Name, "Buoy 1");
    EXPECT_EQ(l.Placemarks[1].Geometries[0].Points.size(), 3u);
    EXPECT_EQ(l.Placemarks[2].Name, "Harbour");
    EXPECT_EQ(l.Placemarks[2].Geometries[0].Points.size(), 5u);  // no inner ring
    EXPECT_TRUE(l.TempFolder.empty());
    EXPECT_EQ(WorkFolders(), 0) << name;
  }
  // The climbing entry of evil.kmz was not written anywhere.
  const fs::path root = fs::path(env.ProgramFolder()).parent_path();
  EXPECT_FALSE(fs::exists(root / "evil.txt"));
  EXPECT_FALSE(fs::exists(root.parent_path() / "evil.txt"));
}

TEST_F(KMLLoader, WorkFolderOfAnExtraction) {
  const std::string text = loader.ExtractKMZ(TestData("kml/harbour.kmz"));
  EXPECT_EQ(loader.TempFolder, env.ProgramFolder() + "temp_kmz_1234");
  EXPECT_TRUE(fs::is_regular_file(loader.TempFolder + "/temp.zip"));
  EXPECT_TRUE(fs::is_regular_file(loader.TempFolder + "/doc.kml"));
  EXPECT_EQ(text.rfind("<?xml version=", 0), 0u);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // lines joined with CR LF
  EXPECT_EQ(text.substr(text.size() - 8), "</kml>\r\n");
  loader.RemoveTempFolder();
  EXPECT_TRUE(loader.TempFolder.empty());
  EXPECT_EQ(WorkFolders(), 0);

  ticks = 0x80000001u;  // the tick count is written as a signed number
  loader.ExtractKMZ(TestData("kml/harbour.kmz"));
  EXPECT_EQ(loader.TempFolder, env.ProgramFolder() + "temp_kmz_-2147483647");
}

TEST_F(KMLLoader, AFolderThatIsNotOursIsLeftAlone) {
  const std::string foreign = env.ProgramFolder() + "temp_kmz_1234";
  fs::create_directory(foreign);
  std::ofstream(foreign + "/keep.txt") << "mine";
  ASSERT_TRUE(loader.LoadFromFile(TestData("kml/harbour.kmz")));
  EXPECT_TRUE(fs::exists(foreign + "/keep.txt"));
  EXPECT_EQ(WorkFolders(), 1);
}

TEST_F(KMLLoader, WhichKmlOfAnArchive) {
  const struct {
    const char* file;
    const char* contains;  // in the KML text chosen, or the error
    const char* error;
  } cases[] = {
      {"kml/doc.kmz", "<name>doc.kml</name>", ""},
      {"kml/hier.kmz", "<href>within.kml</href>", ""},
      {"kml/multikml-nodoc.kmz", "<name>b.kml</name>", ""},  // top level only
      {"kml/nokml.kmz", nullptr, "No KML file found in KMZ archive"},
      {"kml/bad-too-large.kmz", nullptr,
       "The KML file hello.kml of the KMZ archive was not expanded: it expands to 4.0 GB, more "
       "than the 64 MB one entry may hold"},
      {"kml/overflow_bad_offset.kmz", nullptr,
       "The KML file kmlsamples.kml of the KMZ archive was not expanded: its data cannot be read "
       "whole (damaged, or more than the 64 MB allowed)"},
      {"kml/harbour.kml", nullptr, "The KMZ file is not a zip archive or is damaged: "},
      {"kml/link-doc.kmz", nullptr, "No KML file found in KMZ archive"},
  };
  for (const auto& c : cases) {
    TQuarixKMZLoader l;
    const std::string text = l.ExtractKMZ(TestData(c.file));
    std::string want = c.error;
    if (!want.empty() && want.back() == ' ') want += TestData(c.file);  // ends with the path
    EXPECT_EQ(l.LastError, want) << c.file;
    if (c.contains)
      EXPECT_NE(text.find(c.contains), std::string::npos) << c.file;
    else
      EXPECT_EQ(text, "") << c.file;
    l.RemoveTempFolder();
    EXPECT_EQ(WorkFolders(), 0) << c.file;
  }
}

// Names and descriptions are XML character data: entities, character
// references and CDATA sections read as XML defines them; what XML does not
// define stays as written.
TEST_F(KMLLoader, NamesAreDecoded) {
  const struct {
    const char* raw;
    const char* name;
  } cases[] = {
      {"A &amp; B", "A & B"},
      {"&lt;1&gt; &quot;x&quot; &apos;y&apos;", "<1> \"x\" 'y'"},
      {"&#65;&#x42;&#x15f;", "AB\xC5\x9F"},
      {"<![CDATA[Pier & <Quay>]]>", "Pier & <Quay>"},
      {"  <![CDATA[ a ]]>b ", "a b"},
      {"&nbsp;&#0;&#xD800;&#12", "&nbsp;&#0;&#xD800;&#12"},
      {"<![CDATA[open", "open"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(loader.ParseKML(Placemark(std::string("<name>") + c.raw +
                                          "</name><Point><coordinates>1,2</coordinates></Point>")))
        << c.raw;
    EXPECT_EQ(loader.Placemarks[0].Name, c.name) << c.raw;
  }
}

// GIS tools write a doc.kml that links to the layers inside the archive.
// Links are followed to entries of the same archive only.
TEST_F(KMLLoader, ArchiveLinksAreFollowedInsideTheArchiveOnly) {
  ASSERT_TRUE(loader.LoadFromFile(TestData("gis/harbour-libkml.kmz")));
  EXPECT_EQ(loader.Placemarks.size(), 4u);
  EXPECT_EQ(loader.Placemarks[0].Name, "Pier & Quay");
  EXPECT_EQ(WorkFolders(), 0);

  // within.kml is followed (its placemark has no geometry); outside.kml is
  // not in the archive.
  EXPECT_FALSE(loader.LoadFromFile(TestData("kml/hier.kmz")));
  EXPECT_EQ(loader.LastError,
            "No placemark with Point, LineString or Polygon coordinates found in the KML file (1 "
            "placemarks read); the linked file outside.kml is not in the archive");

  const struct {
    const char* href;
    bool followed;
  } links[] = {{"layers/a.kml", true},         {"./layers/../layers/a.kml", true},
               {"layers%2Fa.kml", true},       {"../a.kml", false},
               {"/etc/a.kml", false},          {"http://127.0.0.1/layers/a.kml", false},
               {"file:///layers/a.kml", false}, {"layers/a.txt", false}};
  for (const auto& l : links) {
    const std::string kmz = env.Home() + "links.kmz";
    fs::remove(kmz);
    int error = 0;
    zip_t* za = zip_open(kmz.c_str(), ZIP_CREATE, &error);
    ASSERT_NE(za, nullptr);
    const std::string doc = std::string("<kml><NetworkLink><Link><href>") + l.href + "</href></Link></NetworkLink></kml>";
    const std::string layer = Placemark("<name>linked</name><Point><coordinates>1,2</coordinates></Point>");
    for (const auto& [name, text] : {std::pair<std::string, std::string>{"doc.kml", doc}, {"layers/a.kml", layer},
                                     {"layers/a.txt", layer}}) {
      zip_source_t* src = zip_source_buffer(za, strdup(text.c_str()), text.size(), 1);
      ASSERT_GE(zip_file_add(za, name.c_str(), src, 0), 0);
    }
    ASSERT_EQ(zip_close(za), 0);
    EXPECT_EQ(loader.LoadFromFile(kmz), l.followed) << l.href;
  }
}

// A zip of stored entries that all hold the one byte "x", written directly
// (libzip takes long to write ten thousand entries).
void WriteZipOfX(const std::string& path, const std::vector<std::string>& names) {
  std::string zip, central;
  auto u16 = [](std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
  auto u32 = [&u16](std::string& s, uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
  const uint32_t crc = 0x8CDC1683;  // CRC-32 of "x"
  for (const std::string& name : names) {
    const auto offset = static_cast<uint32_t>(zip.size());
    u32(zip, 0x04034b50), u16(zip, 20), u16(zip, 0), u16(zip, 0), u32(zip, 0), u32(zip, crc);
    u32(zip, 1), u32(zip, 1), u16(zip, static_cast<uint32_t>(name.size())), u16(zip, 0);
    zip += name + "x";
    u32(central, 0x02014b50), u16(central, 20), u16(central, 20), u16(central, 0), u16(central, 0);
    u32(central, 0), u32(central, crc), u32(central, 1), u32(central, 1);
    u16(central, static_cast<uint32_t>(name.size())), u16(central, 0), u16(central, 0), u16(central, 0);
    u16(central, 0), u32(central, 0), u32(central, offset);
    central += name;
  }
  const auto at = static_cast<uint32_t>(zip.size());
  zip += central;
  u32(zip, 0x06054b50), u16(zip, 0), u16(zip, 0), u16(zip, static_cast<uint32_t>(names.size()));
  u16(zip, static_cast<uint32_t>(names.size())), u32(zip, static_cast<uint32_t>(central.size())), u32(zip, at);
  u16(zip, 0);
  std::ofstream(path, std::ios::binary) << zip;
}

// An archive whose KML lies past the entries read says so.
TEST_F(KMLLoader, KmlPastTheEntryCapIsTold) {
  std::vector<std::string> names;
  // Fillers that the expansion refuses without writing anything.
  for (int i = 0; i < 10000; ++i) names.push_back("../" + std::to_string(i) + ".txt");
  names.push_back("doc.kml");
  const std::string kmz = env.Home() + "many.kmz";
  WriteZipOfX(kmz, names);
  EXPECT_FALSE(loader.LoadFromFile(kmz));
  EXPECT_EQ(loader.LastError,
            "No KML file found in the first 10000 entries of the KMZ archive; it holds 10001 entries, "
            "and those past the first 10000 are not read");
}

TEST_F(KMLLoader, HostileEntriesStayInsideTheWorkFolder) {
  loader.ExtractKMZ(TestData("kml/hostile-entries.kmz"));
  const fs::path work = loader.TempFolder;
  EXPECT_TRUE(fs::is_regular_file(work / "doc.kml"));
  EXPECT_TRUE(fs::is_regular_file(work / "inner" / "deep.txt"));
  EXPECT_FALSE(fs::is_symlink(work / "sub" / "link"));
  EXPECT_FALSE(fs::exists("/tmp/quarix-absolute.txt"));
  EXPECT_FALSE(fs::exists("/etc/escape.txt"));
  const fs::path root = fs::path(env.ProgramFolder()).parent_path();
  EXPECT_FALSE(fs::exists(root / "backslash.txt"));
  EXPECT_FALSE(fs::exists(root.parent_path() / "backslash.txt"));
}

TEST_F(KMLLoader, SizeCapsRefuseLargeEntries) {
  const std::string folder = env.ProgramFolder() + "caps";
  fs::create_directory(folder);
  TKMZLimits limits;
  limits.MaxEntryBytes = 500;  // doc.kml holds 962 bytes
  EXPECT_TRUE(ExpandKMZArchive(TestData("kml/harbour.kmz"), folder, limits));
  EXPECT_FALSE(fs::exists(folder + "/doc.kml"));
  EXPECT_FALSE(ExpandKMZArchive(TestData("kml/harbour.kml"), folder));  // not a zip
}

TEST(KMZEntryNames, SafeAndUnsafe) {
  const struct {
    const char* name;
    bool safe;
  } cases[] = {{"doc.kml", true},       {"files/a.png", true}, {"a..b.kml", true},
               {"../x", false},         {"a/../../x", false},  {"/etc/x", false},
               {"\\x", false},          {"C:/x", false},       {"a\\..\\x", false},
               {"..", false},           {"", false}};
  for (const auto& c : cases) EXPECT_EQ(IsSafeKMZEntryName(c.name), c.safe) << c.name;

  // Deep or overlong names are refused before any folder is made for them.
  std::string deep;
  for (int i = 0; i < kMaxKMZEntryLevels; ++i) deep += "d/";
  EXPECT_TRUE(IsSafeKMZEntryName(deep + "doc.kml"));
  EXPECT_TRUE(IsSafeKMZEntryName(deep));  // a folder entry at the deepest level
  EXPECT_FALSE(IsSafeKMZEntryName("d/" + deep + "doc.kml"));
  EXPECT_TRUE(IsSafeKMZEntryName(std::string(kMaxKMZEntryNameBytes, 'a')));
  EXPECT_FALSE(IsSafeKMZEntryName(std::string(kMaxKMZEntryNameBytes + 1, 'a')));
}

TEST_F(KMLLoader, FileErrorsAndEncodings) {
  const std::string missing = env.ProgramFolder() + "none.kml";
  EXPECT_FALSE(loader.LoadFromFile(missing));
  EXPECT_EQ(loader.LastError, "File not found: " + missing);

  EXPECT_FALSE(loader.LoadFromFile(Write("empty.kml", "")));
  EXPECT_EQ(loader.LastError, "Empty KML content");

  // UTF-16 with a byte-order mark; a name with a non-ASCII letter.
  const std::u16string kml = u"<Placemark><name>Liman \u0130\u00e7i</name><Point><coordinates>"
                             u"29.5,41.5</coordinates></Point></Placemark>";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (char16_t u : kml) {
    le += static_cast<char>(u & 0xFF);
    le += static_cast<char>(u >> 8);
    be += static_cast<char>(u >> 8);
    be += static_cast<char>(u & 0xFF);
  }
  for (const auto& [name, bytes] :
       {std::pair{"le.kml", le}, {"be.kml", be},
        {"bom8.KML", "\xEF\xBB\xBF" + std::string(reinterpret_cast<const char*>(
                                           u8"<Placemark><name>Liman \u0130\u00e7i</name><Point>"
                                           u8"<coordinates>29.5,41.5</coordinates></Point></Placemark>"))}}) {
    TQuarixKMZLoader l;
    ASSERT_TRUE(l.LoadFromFile(Write(name, bytes))) << name;
    EXPECT_EQ(l.Placemarks[0].Name, "Liman \xC4\xB0\xC3\xA7i") << name;
  }
  // Upper-case extension takes the archive road.
  fs::copy_file(TestData("kml/harbour.kmz"), env.ProgramFolder() + "SURVEY.KMZ");
  EXPECT_TRUE(loader.LoadFromFile(env.ProgramFolder() + "SURVEY.KMZ"));
}

}  // namespace
