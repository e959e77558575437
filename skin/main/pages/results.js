// The result list of the program's pages. The program hands results over
// as XML text (getMovieData) and the page draws them; the page drives the
// program only through links to the program's schemes. Everything a site
// sent is shown as text (textContent, attributes set through the DOM),
// never as markup.
'use strict';

var Quelt = (function () {
  // A scheme link: the page's address, "&&&", the title. The program takes
  // the title back with "%20" as a blank, so blanks go as "%20" and line
  // breaks as blanks; everything else goes as it is.
  function schemeLink(prefix, url, title) {
    var text = String(title).replace(/[\r\n]+/g, ' ').replace(/ /g, '%20');
    return prefix + url + '&&&' + text;
  }

  // A text of the page in the program's language (the program injects
  // QueltTr; without it the Chinese text stays), with %1, %2, ... taking
  // the further arguments.
  function tr(chinese) {
    if (window.QueltTr) return window.QueltTr.apply(null, arguments);
    var args = arguments;
    return String(chinese).replace(/%(\d)/g, function (all, n) {
      return n > 0 && n < args.length ? String(args[n]) : all;
    });
  }

  function element(tag, className, text) {
    var node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined && text !== null) node.textContent = String(text);
    return node;
  }

  function link(href, className, text) {
    var a = element('a', className, text);
    a.setAttribute('href', href);
    return a;
  }

  // A field of an item: its attribute (the program's result XML) or its
  // child element (a site's own result XML).
  function field(node, name) {
    var value = node.getAttribute(name);
    if (value) return value;
    var child = node.getElementsByTagName(name)[0];
    return child ? child.textContent : '';
  }

  // The items of a result XML text; none when it does not parse.
  function parseItems(xmlText) {
    var doc = new DOMParser().parseFromString(String(xmlText), 'text/xml');
    if (doc.getElementsByTagName('parsererror').length) return [];
    var nodes = doc.getElementsByTagName('item');
    var items = [];
    for (var i = 0; i < nodes.length; i++) {
      var n = nodes[i];
      var attr = function (name) { return field(n, name); };
      var url = attr('url');
      if (!url) continue;
      items.push({
        url: url,
        image: attr('mimage') || attr('imgurl'),
        title: attr('mtitle') || attr('name'),
        rate: parseInt(attr('mrate'), 10),
        memo: attr('memo'),
        playcount: parseInt(attr('playcount'), 10) || 0,
        vcount: parseInt(attr('vcount'), 10) || 0,
        site: attr('msite'),
        order: i
      });
    }
    return items;
  }

  function hostOf(url) {
    var m = /^[a-z][a-z0-9+.-]*:\/\/([^\/?#:]+)/i.exec(url);
    return m ? m[1] : '';
  }

  // Three bars: under 1 s fast, under 3 s medium, a measured rate above
  // that slow; untested sites (100000) show none lit.
  function speedMark(rate) {
    var mark = element('span', 'speed');
    var kind = '', tip = tr('未测速');
    if (rate >= 0 && rate < 100000) {
      kind = rate < 1000 ? 'fast' : rate < 3000 ? 'mid' : 'slow';
      tip = tr('速度 %1 秒', (rate / 1000).toFixed(1));
    }
    if (kind) mark.classList.add(kind);
    mark.setAttribute('title', tip);
    for (var i = 0; i < 3; i++) mark.appendChild(document.createElement('i'));
    return mark;
  }

  function thumb(item, href) {
    var a = link(href, 'thumb');
    if (item.image) {
      var img = document.createElement('img');
      img.setAttribute('alt', '');
      img.setAttribute('loading', 'lazy');
      img.setAttribute('src', item.image);
      img.addEventListener('error', function () { img.classList.add('hidden'); });
      a.appendChild(img);
    }
    return a;
  }

  // One result: thumbnail, title, site, speed, counts, the three actions.
  function card(item, options) {
    options = options || {};
    var play = schemeLink('playxev://', item.url, item.title);
    var node = element('div', 'card');
    node.setAttribute('data-url', item.url);
    node.appendChild(thumb(item, play));
    var info = element('div', 'info');
    var title = link(play, 'title', item.title);
    title.setAttribute('title', item.title);
    info.appendChild(title);
    if (!options.compact) {
      var meta = element('div', 'meta');
      meta.appendChild(speedMark(item.rate));
      meta.appendChild(element('span', 'site', item.site || hostOf(item.url)));
      if (item.playcount) meta.appendChild(element('span', 'count', tr('播放 %1', item.playcount)));
      if (item.vcount) meta.appendChild(element('span', 'count', tr('观看 %1', item.vcount)));
      info.appendChild(meta);
      if (item.memo) info.appendChild(element('div', 'memo', item.memo));
    }
    node.appendChild(info);
    if (!options.compact) {
      var actions = element('div', 'actions');
      actions.appendChild(link(play, 'play', tr('播放')));
      actions.appendChild(link(schemeLink('inxev://', item.url, item.title), 'preview', tr('预览')));
      actions.appendChild(link(schemeLink('addxev://', item.url, item.title), 'add', tr('加入列表')));
      node.appendChild(actions);
    }
    return node;
  }

  // The orders a list can be sorted by: the fields the XML carries.
  var sorts = {
    mrate: { up: true, key: function (x) { return isNaN(x.rate) ? 100000 : x.rate; } },
    playcount: { up: false, key: function (x) { return x.playcount; } },
    vcount: { up: false, key: function (x) { return x.vcount; } },
    mtitle: { up: true, key: function (x) { return x.title; } }
  };

  function sorted(items, by, up) {
    var sort = sorts[by];
    if (!sort) return items.slice();
    return items.slice().sort(function (a, b) {
      var ka = sort.key(a), kb = sort.key(b), c;
      c = typeof ka === 'string' ? ka.localeCompare(kb, 'zh') : ka - kb;
      if (!up) c = -c;
      return c || a.order - b.order;
    });
  }

  function fill(container, items, options) {
    while (container.firstChild) container.removeChild(container.firstChild);
    for (var i = 0; i < items.length; i++) container.appendChild(card(items[i], options));
  }

  return { tr: tr, schemeLink: schemeLink, element: element, link: link, parseItems: parseItems, card: card,
           sorts: sorts, sorted: sorted, fill: fill };
})();
