// Windows Media profile XML: parsing into items, regenerating the indented
// text, removing a stream configuration (with the stream numbers that
// follow it moved down) and setting attributes of one stream kind.
#include "video/AsfProfileXml.h"

#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
QString profile(bool audioFirst)
{
    const QString video = R"(<streamconfig majortype="video" streamnumber="%1" streamname="Video Stream">
  <videomediaprops maxkeyframespacing="80000000" quality="75"/>
  <wmmediatype subtype="WMV3"><videoinfoheader dwbitrate="250000"><bitmapinfoheader biwidth="320" biheight="240"/></videoinfoheader></wmmediatype>
</streamconfig>)";
    const QString audio =
        R"(<streamconfig majortype="audio" streamnumber="%1" streamname="Audio Stream" bitrate="32000">
  <wmmediatype subtype="WMA"><waveformatex nChannels="2" nSamplesPerSec="44100"/></wmmediatype>
</streamconfig>)";
    return "<profile version=\"589824\" name=\"test\">"
         + (audioFirst ? audio.arg(1) + video.arg(2) : video.arg(1) + audio.arg(2)) + "</profile>";
}
} // namespace

TEST(AsfProfileXml, ParsesAndRegeneratesNestedElements)
{
    TXML xml;
    xml.Parse(R"(<a x="1"><b y="2"/></a>)");
    EXPECT_EQ(xml.Items(), (QStringList{"<a", "x=1", "<b", "y=2", ">b", ">a"}));
    ASSERT_TRUE(xml.Generate());
    EXPECT_EQ(xml.GeneratedLines(),
              (QStringList{"<a ", "     x=\"1\">", "     <b ", "          y=\"2\">", "     </b>", "</a>"}));
    xml.Parse("");
    EXPECT_FALSE(xml.Generate());
    xml.Parse("</a> garbage \" </b");
    EXPECT_TRUE(xml.Items().isEmpty()) << "a closing tag with nothing open adds nothing";
}

TEST(AsfProfileXml, RemovesOneKindOfStream)
{
    struct Case {
        const char* legend;
        bool audioFirst;
        bool includeVideo, includeAudio;
        QString keptName;
        QString keptNumber;
    } cases[] = {
        {"video, audio; audio out", false, true, false, "Video Stream", "1"},
        {"audio, video; audio out", true, true, false, "Video Stream", "1"},
        {"audio, video; video out", true, false, true, "Audio Stream", "1"},
        {"video, audio; video out", false, false, true, "Audio Stream", "1"},
    };
    for (const Case& c : cases) {
        TASFXML xml;
        xml.Parse(profile(c.audioFirst));
        ASSERT_TRUE(xml.RemoveStreams(c.includeVideo, c.includeAudio)) << c.legend;
        EXPECT_EQ(xml.Items().count("<streamconfig"), 1) << c.legend;
        EXPECT_TRUE(xml.Items().contains("streamname=" + c.keptName)) << c.legend;
        EXPECT_TRUE(xml.Items().contains("streamnumber=" + c.keptNumber)) << c.legend;
        EXPECT_TRUE(xml.Generate()) << c.legend;
    }
    TASFXML none;
    none.Parse(R"(<profile name="x"/>)");
    EXPECT_FALSE(none.RemoveStreams(true, false));
}

TEST(AsfProfileXml, SetsAttributesOfOneStreamKind)
{
    TASFXML xml;
    xml.Parse(profile(false));
    xml.SetAttribute("nChannels", "1", ask_Audio);
    xml.SetAttribute("biwidth", "640", ask_Video);
    xml.SetAttribute("biwidth", "999", ask_Audio);
    EXPECT_TRUE(xml.Items().contains("nchannels=1"));
    EXPECT_EQ(xml.Attribute("biWidth", ask_Video), "640");
    EXPECT_EQ(xml.Attribute("dwBitRate", ask_Video), "250000");
    EXPECT_EQ(xml.Attribute("bitrate", ask_Audio), "32000");
    EXPECT_TRUE(xml.Attribute("biwidth", ask_Audio).isEmpty());
}
