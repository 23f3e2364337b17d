#include "ombra/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Ombra {
namespace {

std::vector<Token> Lex(const std::string& source) {
    std::vector<Token> tokens;
    Diagnostic error;
    EXPECT_TRUE(Tokenize(source, tokens, error)) << error.line << ": " << error.message;
    return tokens;
}

std::vector<TokenKind> Kinds(const std::vector<Token>& tokens) {
    std::vector<TokenKind> kinds;
    for (const Token& token : tokens) kinds.push_back(token.kind);
    return kinds;
}

TEST(LexerTest, KeywordsAnyCaseCommentsAndLineEnds) {
    using K = TokenKind;
    auto tokens = Lex("\xEF\xBB\xBFprint 'a!b', x ! comment \"\r\nIf x<>1 tHeN end\n\n");
    EXPECT_EQ(Kinds(tokens), (std::vector<K>{K::Print, K::String, K::Comma, K::Name, K::Newline,
                                             K::If, K::Name, K::NotEqual, K::Number, K::Then,
                                             K::End, K::Newline, K::Newline, K::EndOfScript}));
    EXPECT_EQ(tokens[1].text, "a!b");
    EXPECT_EQ(tokens[3].text, "x");
    EXPECT_EQ(tokens[5].line, 2);
    EXPECT_EQ(tokens[12].line, 3);
}

TEST(LexerTest, LastLineGetsItsNewlineAndOperatorsTakeTheLongestMatch) {
    using K = TokenKind;
    EXPECT_EQ(
        Kinds(Lex("a<=b>=c<d>e=\"é\"")),
        (std::vector<K>{K::Name, K::LessEqual, K::Name, K::GreaterEqual, K::Name, K::Less, K::Name,
                        K::Greater, K::Name, K::Equal, K::String, K::Newline, K::EndOfScript}));
    EXPECT_EQ(Kinds(Lex("")), (std::vector<K>{K::Newline, K::EndOfScript}));
}

TEST(LexerTest, NumbersAreReadByTheSharedReader) {
    auto tokens = Lex("7 2147483648 .5 1e3 5. 2147483647");
    EXPECT_EQ(tokens[0].number, ScriptValue(int32_t{7}));
    EXPECT_EQ(tokens[1].number, ScriptValue(2147483648.0));
    EXPECT_EQ(tokens[2].number, ScriptValue(0.5));
    EXPECT_EQ(tokens[3].number, ScriptValue(1000.0));
    EXPECT_EQ(tokens[4].number, ScriptValue(5.0));
    EXPECT_EQ(tokens[5].number, ScriptValue(int32_t{2147483647}));
}

TEST(LexerTest, ErrorsNameTheirLine) {
    const struct {
        std::string source;
        int line;
        std::string message;
    } cases[] = {
        {"x = 1\ny = \"abc\n", 2, "unterminated string"},
        {"x = 'abc\"", 1, "unterminated string"},
        {"\n\nx = 12abc", 3, "malformed number '12abc'"},
        {"x = 1.2.3", 1, "malformed number '1.2.3'"},
        {"x = 1e", 1, "malformed number '1e'"},
        {"x = 1\ry = 2", 1, "carriage return without a line feed"},
        {"x = 1\n$", 2, "unexpected character '$'"},
        {"x = é", 1, "unexpected character 'é'"},
        {"x = 1\n\x01", 2, "unexpected control character (code 1)"},
        {"x = 1\n! \xC3\x28\n", 2, "the script is not valid UTF-8"},
        {"x = \"\xED\xA0\x80\"", 1, "the script is not valid UTF-8"},  // a surrogate
        {"x = \"\xC0\xAF\"", 1, "the script is not valid UTF-8"},      // overlong '/'
    };
    for (const auto& c : cases) {
        std::vector<Token> tokens;
        Diagnostic error;
        EXPECT_FALSE(Tokenize(c.source, tokens, error)) << c.source;
        EXPECT_EQ(error.line, c.line) << c.source;
        EXPECT_EQ(error.message, c.message) << c.source;
    }
}

}  // namespace
}  // namespace Ombra
