#include "search/parse_prefix_script.h"

const std::string_view kParsePrefixScript = R"JS(var gcurpage=0;
function searchres(){this.name='';this.url='';this.imgurl='';this.vcount='';this.playcount='';this.memo='';this.tags=new Array();}
function imgmanager(){
	this.imgs=new Array();
	this.load=function(alinks){
		for(var i=0;i<alinks.length;i++){
			var a=alinks[i],c=a.children||[];
			for(var j=0;j<c.length;j++){if(c[j].tagName=='IMG'){this.imgs.push({imgurl:c[j].src,link:a.href});break;}}
		}
	};
	this.find=function(l){for(var i=0;i<this.imgs.length;i++){if(this.imgs[i].link==l)return this.imgs[i].imgurl;}return '';};
}
var imgmgr=new imgmanager();
function OutputResult(res){
	function esc(s){return String(s==null?'':s).substring(0,4096).replace(/&/g,'&amp;').replace(/</g,'&lt;').replace(/>/g,'&gt;').replace(/"/g,'&quot;');}
	var x='<root curpage="'+esc(gcurpage)+'">',n=Math.min(res&&res.length||0,1000);
	for(var i=0;i<n;i++){
		var r=res[i]||{};
		x+='<item url="'+esc(r.url)+'" imgurl="'+esc(r.imgurl)+'" name="'+esc(r.name)+'" memo="'+esc(r.memo)+'" vcount="'+esc(r.vcount)+'" playcount="'+esc(r.playcount)+'"><tags>';
		var t=r.tags||[];
		for(var j=0;j<t.length&&j<100;j++)x+='<tag>'+esc(t[j])+'</tag>';
		x+='</tags></item>';
	}
	x+='</root>';
	document.open();
	document.write('<body><div id=SEARCH_QUELT_ID><xml>'+x+'</xml></div></body>');
	document.close();
}
)JS";

const std::string_view kReadResultScript =
    "(function(){var e=document.getElementById('SEARCH_QUELT_ID');return e?e.innerHTML.substring(0,8388608):'';})()";
