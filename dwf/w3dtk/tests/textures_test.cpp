// Textures and the named images they are made from.
#include "record_bytes.h"

#include "dwf/w3dtk/records/texture.h"
#include "dwf/w3dtk/records/w3d_image.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

Emit texture(const std::function<void(TK_Texture&)>& fill)
{
    return [fill](BStreamFileToolkit& tk, W3DStreamWriter& w)
    { serialize_with<TK_Texture>(tk, w, 't', fill); };
}

Emit image(const std::string& name, int width, int height, int depth)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<W3D_Image>(tk, w, W3D_Image::Opcode,
                                  [&](W3D_Image& h)
                                  {
                                      h.SetName(name.c_str());
                                      h.SetSize(width, height);
                                      h.SetBitDepth(depth);
                                  });
    };
}

// What the add-in writes for a texture: no flags, the image's name, the texture's name.
Emit const plain_texture = texture(
    [](TK_Texture& h)
    {
        h.SetFlags(0);
        h.SetImage("Ctexmywood1png");
        h.SetName("Ctexmywood1png texture");
    });

TEST(Textures, PlainTextureIsNamesAndTwoZeroBytes)
{
    EXPECT_EQ(write_records(plain_texture), Golden()
                                                .u8('t')
                                                .u8(22)
                                                .text("Ctexmywood1png texture")
                                                .u8(14)
                                                .text("Ctexmywood1png")
                                                .u16(0)
                                                .bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(plain_texture));
    BStreamFileToolkit tk;
    Memory_Output out;
    W3DStreamWriter w(out, tk);
    w.open();
    plain_texture(tk, w);
    EXPECT_EQ(tk.GetObjectCount(), 1);
}

TEST(Textures, OptionalParametersFollowTheFlagsInStreamOrder)
{
    Emit const some = texture(
        [](TK_Texture& h)
        {
            h.SetName("t");
            h.SetImage("i");
            h.SetFlags(0x0C03);
            h.SetOptionByte(0x0001, 0x11);
            h.SetOptionByte(0x0002, 0x22);
            h.SetOptionByte(0x0004, 0x44); // its bit is clear: not carried
            h.SetOptionPair(0.5f, -1.0f);
            h.SetOptionString("opts");
        });
    EXPECT_EQ(write_records(some), Golden()
                                       .u8('t')
                                       .u8(1)
                                       .text("t")
                                       .u8(1)
                                       .text("i")
                                       .u16(0x0C03)
                                       .u8(0x11)
                                       .u8(0x22)
                                       .floats({0.5f, -1.0f})
                                       .u8(4)
                                       .text("opts")
                                       .bytes);

    Emit const every = texture(
        [](TK_Texture& h)
        {
            h.SetName("every");
            h.SetImage("");
            h.SetFlags(0xFFFF); // bits above 0x0800 select nothing
            for (int i = 0; i < 10; ++i)
                h.SetOptionByte(1 << i, 0xA0 + i);
            h.SetOptionPair(1.0f, 2.0f);
            h.SetOptionString("");
        });
    Golden expected;
    expected.u8('t').u8(5).text("every").u8(0).u16(0xFFFF);
    for (unsigned i = 0; i < 10; ++i)
        expected.u8(0xA0 + i);
    expected.floats({1.0f, 2.0f}).u8(0);
    EXPECT_EQ(write_records(every), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(every));

    EXPECT_EQ(read_back<TK_Texture>(some,
                                    [](TK_Texture& h, BStreamFileToolkit&)
                                    {
                                        EXPECT_EQ(h.GetName(), "t");
                                        EXPECT_EQ(h.GetImage(), "i");
                                        EXPECT_EQ(h.GetFlags(), 0x0C03);
                                        EXPECT_EQ(h.GetOptionByte(0x0001), 0x11);
                                        EXPECT_EQ(h.GetOptionByte(0x0002), 0x22);
                                        EXPECT_EQ(h.GetOptionByte(0x0004), 0);
                                        EXPECT_EQ(h.GetOptionPair()[1], -1.0f);
                                        EXPECT_EQ(h.GetOptionString(), "opts");
                                    }),
              1);
    EXPECT_EQ(read_back<TK_Texture>(every,
                                    [](TK_Texture& h, BStreamFileToolkit&)
                                    {
                                        for (int i = 0; i < 10; ++i)
                                            EXPECT_EQ(h.GetOptionByte(1 << i), 0xA0 + i);
                                        EXPECT_EQ(h.GetOptionString(), "");
                                    }),
              1);
}

TEST(Textures, NamesLongerThan255BytesAreRefusedBeforeAnyByte)
{
    // A texture name derived from a long path: the name alone fits, with
    // " texture" after it it does not.
    std::string const path_name(250, 'p');
    std::string const longest(255, 'n');
    EXPECT_EQ(read_back<TK_Texture>(texture(
                                        [&](TK_Texture& h)
                                        {
                                            h.SetName(longest.c_str());
                                            h.SetImage(longest.c_str());
                                            h.SetFlags(TK_Texture::Option_String);
                                            h.SetOptionString(longest.c_str());
                                        }),
                                    [&](TK_Texture& h, BStreamFileToolkit&)
                                    {
                                        EXPECT_EQ(h.GetName(), longest);
                                        EXPECT_EQ(h.GetOptionString(), longest);
                                    }),
              1);
    for (int field = 0; field < 3; ++field)
    {
        Buffered_Toolkit out;
        auto& h = dynamic_cast<TK_Texture&>(out.tk.GetOpcodeHandler('t'));
        std::string const too_long = path_name + " texture";
        h.SetName(field == 0 ? too_long.c_str() : "n");
        h.SetImage(field == 1 ? too_long.c_str() : "i");
        h.SetOptionString(field == 2 ? too_long.c_str() : "");
        h.SetFlags(TK_Texture::Option_String);
        EXPECT_EQ(h.Write(out.tk), TK_Error) << field;
        EXPECT_TRUE(out.written().empty()) << field;
        EXPECT_NE(out.tk.LastError().find("258 bytes"), std::string::npos) << out.tk.LastError();
    }
    // An option string whose flag is clear is not carried, so its length does not matter.
    Buffered_Toolkit out;
    auto& h = dynamic_cast<TK_Texture&>(out.tk.GetOpcodeHandler('t'));
    h.SetOptionString(std::string(400, 'o').c_str());
    EXPECT_EQ(h.Write(out.tk), TK_Done);
}

TEST(Textures, ResetEmptiesNamesAndFlags)
{
    TK_Texture h;
    h.SetName("a");
    h.SetImage("b");
    h.SetFlags(0x0401);
    h.SetOptionString("c");
    h.Reset();
    EXPECT_EQ(h.GetName(), "");
    EXPECT_EQ(h.GetImage(), "");
    EXPECT_EQ(h.GetFlags(), 0);
    EXPECT_EQ(h.GetOptionString(), "");
}

// ---- images

TEST(Images, ImageIsNameSizeAndDepth)
{
    Emit const emit = image("wood", 640, 480, 24);
    Bytes const bytes = write_records(emit);
    EXPECT_EQ(bytes, Golden().u8(0xE0).u8(4).text("wood").i32(640).i32(480).u8(24).bytes);
    EXPECT_EQ(bytes.size(), 1 + 10 + 4u);
    // Cut anywhere, the same bytes.
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));
    EXPECT_EQ(read_back<W3D_Image>(emit,
                                   [](W3D_Image& h, BStreamFileToolkit&)
                                   {
                                       EXPECT_EQ(h.GetName(), "wood");
                                       EXPECT_EQ(h.GetWidth(), 640);
                                       EXPECT_EQ(h.GetHeight(), 480);
                                       EXPECT_EQ(h.GetBitDepth(), 24);
                                   }),
              1);
}

TEST(Images, NamesAreCheckedAndImagesTaggedWhenAllRecordsAre)
{
    std::string const longest(255, 'w');
    EXPECT_EQ(read_back<W3D_Image>(image(longest, -1, 0, 8),
                                   [&](W3D_Image& h, BStreamFileToolkit&)
                                   {
                                       EXPECT_EQ(h.GetName(), longest);
                                       EXPECT_EQ(h.GetWidth(), -1);
                                   }),
              1);
    {
        Buffered_Toolkit out;
        auto& h = dynamic_cast<W3D_Image&>(out.tk.GetOpcodeHandler(W3D_Image::Opcode));
        h.SetName(std::string(256, 'w').c_str());
        EXPECT_EQ(h.Write(out.tk), TK_Error);
        EXPECT_TRUE(out.written().empty());
    }
    Buffered_Toolkit out;
    out.tk.SetWriteFlags(TK_Option_Tag_All);
    out.tk.set_last_key(3);
    auto& h = dynamic_cast<W3D_Image&>(out.tk.GetOpcodeHandler(W3D_Image::Opcode));
    h.SetName("x");
    ASSERT_EQ(h.Write(out.tk), TK_Done);
    EXPECT_EQ(out.written().back(), 'q');
    h.Reset();
    EXPECT_EQ(h.GetName(), "");
}

Emit const textures_and_images = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    image("Ctexmywood1png", 256, 128, 24)(tk, w);
    plain_texture(tk, w);
    texture(
        [](TK_Texture& h)
        {
            h.SetName("n");
            h.SetImage("i");
            h.SetFlags(0x0FFF);
            h.SetOptionString("abc");
        })(tk, w);
};

TEST(Textures, DamagedStreamsFailCleanly)
{
    read_damaged_streams(write_stream(textures_and_images), 1, 500);
    read_damaged_streams(write_stream(textures_and_images, {}, true), 7, 300);
}

TEST(Textures, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(textures_and_images));
}

} // namespace
