// The subscriptions page. The program calls inputToSelect(xml) with the
// search categories once the page has loaded, and showMonitorList(xml)
// with the subscriptions it keeps (and what each collected in this run)
// whenever they change. The user's list lives in the page until
// "开始订阅" (a link to "start_monitor"), when the program reads it from
// the element MONITOR_QUELT_ID; "停止订阅" ("stop_monitor") empties it.
// Every text is shown with textContent and written as DOM nodes.
'use strict';

var gSubs = [];        // {key, site, limit, interval, added, searches}
var gEdited = false;   // the page's list differs from the program's

function byId(id) { return document.getElementById(id); }

function parseXml(text) {
  var doc = new DOMParser().parseFromString(String(text), 'text/xml');
  return doc.getElementsByTagName('parsererror').length ? null : doc;
}

// The categories for the category box.
function inputToSelect(xmlText) {
  var select = byId('category');
  while (select.firstChild) select.removeChild(select.firstChild);
  var doc = parseXml(xmlText);
  if (!doc) return;
  var items = doc.getElementsByTagName('item');
  for (var i = 0; i < items.length; i++) {
    var name = items[i].getAttribute('mtitle') || '';
    var option = document.createElement('option');
    option.value = name;
    option.textContent = name;
    select.appendChild(option);
  }
}

// The program's list; the user's unsaved edits stay, with the counters
// of the keywords the program knows.
function showMonitorList(xmlText) {
  var doc = parseXml(xmlText);
  if (!doc) return;
  var kept = [];
  var items = doc.getElementsByTagName('item');
  for (var i = 0; i < items.length; i++) {
    var n = items[i];
    kept.push({ key: n.getAttribute('key') || '', site: n.getAttribute('schema') || '',
                limit: n.getAttribute('limit') || '', interval: n.getAttribute('interval') || '',
                added: parseInt(n.getAttribute('added'), 10) || 0,
                searches: parseInt(n.getAttribute('searches'), 10) || 0, known: true });
  }
  if (gEdited) {
    gSubs.forEach(function (s) {
      var k = kept.filter(function (x) { return x.key === s.key; })[0];
      s.known = !!k;
      if (k) { s.added = k.added; s.searches = k.searches; }
    });
  } else {
    gSubs = kept;
  }
  byId('state').textContent = kept.length ? Quelt.tr('订阅中：%1 个', kept.length) : Quelt.tr('未订阅');
  render();
}

function element(tag, className, text) { return Quelt.element(tag, className, text); }

function appendValue(parent, tag, text) {
  var node = document.createElement(tag);
  node.textContent = String(text);
  parent.appendChild(node);
}

// The list on screen and, for the program, the same list as item elements.
function render() {
  var list = byId('subscriptions');
  while (list.firstChild) list.removeChild(list.firstChild);
  var data = byId('MONITOR_QUELT_ID');
  while (data.firstChild) data.removeChild(data.firstChild);
  gSubs.forEach(function (s, index) {
    var row = element('li', s.known ? '' : 'pending');
    var key = element('span', 'key', s.key);
    key.setAttribute('title', s.key);
    row.appendChild(key);
    var every = s.interval === '0' ? Quelt.tr('每分钟') : Quelt.tr('每%1分钟', s.interval);
    row.appendChild(element('span', 'meta', (s.site || Quelt.tr('全部')) + ' · ' + every));
    row.appendChild(element('span', 'meta count', s.known ? s.added + '/' + s.limit : Quelt.tr('未开始')));
    var remove = element('button', 'remove', Quelt.tr('删除'));
    remove.setAttribute('type', 'button');
    remove.addEventListener('click', function () {
      gSubs.splice(index, 1);
      gEdited = true;
      render();
    });
    row.appendChild(remove);
    list.appendChild(row);

    var item = document.createElement('item');
    appendValue(item, 'tagname', s.key);
    appendValue(item, 'searchsite', s.site);
    appendValue(item, 'maxnum', s.limit);
    appendValue(item, 'limittime', s.interval);
    data.appendChild(item);
  });
  byId('empty').classList.toggle('hidden', gSubs.length > 0);
}

document.addEventListener('DOMContentLoaded', function () {
  byId('add-form').addEventListener('submit', function (event) {
    event.preventDefault();
    var key = byId('keyword').value.trim();
    if (!key) return;
    var entry = { key: key, site: byId('category').value || '', limit: byId('limit').value || '5',
                  interval: byId('interval').value || '30', added: 0, searches: 0, known: false };
    var same = gSubs.filter(function (s) { return s.key === key; })[0];
    if (same) gSubs[gSubs.indexOf(same)] = entry; else gSubs.push(entry);
    gEdited = true;
    byId('keyword').value = '';
    render();
  });
  byId('start').addEventListener('click', function () { gEdited = false; });
  byId('stop').addEventListener('click', function () { gSubs = []; gEdited = false; render(); });
  render();
});
