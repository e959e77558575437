#include "platform/web/page_texts.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace platform {

namespace {

std::string& Dictionary()
{
    static std::string dictionary = "{}";
    return dictionary;
}

}  // namespace

void SetPageTexts(std::string dictionaryJson)
{
    Dictionary() = dictionaryJson.empty() ? std::string("{}") : std::move(dictionaryJson);
}

const std::string& PageTexts()
{
    return Dictionary();
}

std::string PageTextsScript(bool ownPagesOnly)
{
    // The dictionary is JSON made by the program; it is used as data only:
    // texts are set with textContent and attributes, never as markup.
    return std::string("(function () {\n")
           + (ownPagesOnly ? "  if (location.protocol !== 'file:') return;\n" : "")
           + "  var texts = " + Dictionary() + ";\n"
           R"JS(
  var has = Object.prototype.hasOwnProperty;
  function lookup(text) { return has.call(texts, text) ? texts[text] : text; }
  window.QueltTr = function (chinese) {
    var args = arguments;
    return lookup(String(chinese)).replace(/%(\d)/g, function (all, n) {
      return n > 0 && n < args.length ? String(args[n]) : all;
    });
  };
  function translateText(node) {
    var text = node.nodeValue, key = text.trim();
    if (key && has.call(texts, key)) node.nodeValue = text.replace(key, texts[key]);
  }
  function translateTree(root) {
    var walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
    for (var node = walker.currentNode; node; node = walker.nextNode()) {
      if (node.nodeType === Node.TEXT_NODE) {
        var parent = node.parentNode && node.parentNode.nodeName;
        if (parent !== 'SCRIPT' && parent !== 'STYLE') translateText(node);
        continue;
      }
      ['title', 'placeholder', 'alt'].forEach(function (name) {
        var value = node.getAttribute && node.getAttribute(name);
        if (value && has.call(texts, value.trim())) node.setAttribute(name, texts[value.trim()]);
      });
    }
  }
  document.addEventListener('DOMContentLoaded', function () {
    translateTree(document.documentElement);
  }, true);
})();
)JS";
}

void InjectPageTexts(QWebEngineScriptCollection& scripts, bool ownPagesOnly)
{
    QWebEngineScript script;
    script.setName(QStringLiteral("quelt-texts"));
    script.setSourceCode(QString::fromStdString(PageTextsScript(ownPagesOnly)));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    scripts.insert(script);
}

}  // namespace platform
